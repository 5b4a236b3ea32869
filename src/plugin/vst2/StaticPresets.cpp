#include "plugin/vst2/StaticPresets.h"

#include "lib/mppi/NormalizedParamInterface.h"
#include "lib/mppi/ProgramSlot.h"
#include "plugin/dsp/BrevantDsp.h"

#include <array>
#include <stdexcept>

namespace {

// Natural values in the effect's order: cut-off (Hz), resonance, number of
// bands, distortion gain, routing (0 Pre, 1 Post), band spacing, evolution
// (ms), tone.
struct Setting
{
    const char* name;
    std::array<double, BrevantDsp::NBR_PARAM> natural;
};

constexpr std::array<Setting, 5> SETTINGS = {{
    {"Harmonic Comb", {220, 8, 8, 1, 1, 1, 0, 0.8}},
    {"Odd Partials", {110, 12, 12, 1.5, 1, 2, 0, 0.9}},
    {"Rising Bells", {440, 20, 6, 1, 1, 1.5, 20, 0.7}},
    {"Warm Drive", {800, 2, 1, 6, 0, 2, 0, 0.3}},
    {"Smeared Bands", {330, 10, 10, 2, 1, 1, -30, 0.75}},
}};

} // namespace

mppi::BankManager StaticPresets::make_bank()
{
    BrevantDsp dsp;
    if (dsp.init() != 0 || dsp.get_nbr_param() != BrevantDsp::NBR_PARAM) {
        throw std::runtime_error("StaticPresets::make_bank() : The effect did not start.");
    }
    dsp.set_default_state();
    mppi::BankManager bank(static_cast<int>(SETTINGS.size()) + 1);
    dsp.do_get_program(bank[0]);
    bank[0].set_name(dsp.get_program_name());
    for (std::size_t i = 0; i < SETTINGS.size(); ++i) {
        for (int p = 0; p < BrevantDsp::NBR_PARAM; ++p) {
            dsp.get_param_ref(p).set_nat_val(SETTINGS[i].natural[static_cast<std::size_t>(p)]);
        }
        mppi::ProgramSlot& prog = bank[static_cast<int>(i) + 1];
        dsp.do_get_program(prog);
        prog.set_name(SETTINGS[i].name);
    }
    dsp.restore();
    return bank;
}
