#include "plugin/dsp/BrevantDsp.h"

#include "lib/basic/SettingMgrInterface.h"
#include "lib/mppi/ParamReorder.h"
#include "lib/mppi/NormalizedParamInterface.h"
#include "lib/mppi/PinProperty.h"
#include "lib/mppi/ProgramSlot.h"
#include "support/AllocFailure.h"
#include "support/BrevantModel.h"
#include "support/FakeHostDsp.h"
#include "support/RecordingNotified.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <limits>
#include <random>
#include <string>
#include <thread>
#include <vector>

namespace {

using test_support::FakeHostDsp;

enum Index { CUTOFF, RESO, NBR_BAND, GAIN, ROUTING, SPACING, EVOLUTION, TONE };
// Not a parameter: a reset (clear_buffers) of the effect and the model.
constexpr int RESET = -1;

struct Setting
{
    int index;
    double natural;
};

// A parameter change landing before the block that starts at or after `at`.
struct Change
{
    long at;
    Setting setting;
};

using Signal = std::vector<float>;

// The effect on a fake host, beside the model fed the same settings.
struct Rig
{
    BrevantDsp dsp;
    FakeHostDsp* host = new FakeHostDsp; // owned by dsp
    model::Effect ref;

    Rig(float fs, bool right_in, bool right_out, const std::vector<Setting>& settings = {})
    {
        host->set_right_connected(right_in, right_out);
        dsp.set_host(*host);
        EXPECT_EQ(dsp.init(), 0);
        dsp.set_default_state();
        ref.stereo_in = right_in;
        ref.stereo_out = right_out;
        for (const Setting& s : settings) {
            set(s);
        }
        dsp.set_sample_freq(fs);
        dsp.clear_buffers();
        ref.set_sample_freq(fs);
        ref.clear_buffers();
    }

    void set(const Setting& s)
    {
        if (s.index == RESET) {
            dsp.clear_buffers();
            ref.clear_buffers();
            return;
        }
        dsp.get_param_ref(s.index).set_nat_val(s.natural);
        double* field[] = {&ref.p.cutoff, &ref.p.reso,    &ref.p.nbr_band,  &ref.p.gain,
                           &ref.p.routing, &ref.p.spacing, &ref.p.evolution, &ref.p.tone};
        *field[s.index] = s.natural;
        if (s.index < EVOLUTION) {
            ref.changed();
        } else {
            ref.tap_changed();
        }
    }
};

Signal noise(long len, unsigned seed, float amp = 0.5f)
{
    std::mt19937 gen(seed);
    std::uniform_real_distribution<float> dist(-amp, amp);
    Signal s(std::size_t(len), 0.0f);
    for (float& v : s) {
        v = dist(gen);
    }
    return s;
}

// Noise over a sine, or a unit impulse.
Signal test_signal(long len, bool impulse, unsigned seed)
{
    Signal s = noise(len, seed, 0.25f);
    for (long i = 0; i < len; ++i) {
        s[std::size_t(i)] = impulse ? (i == 0 ? 1.0f : 0.0f)
                                    : s[std::size_t(i)] + 0.4f * float(std::sin(0.03 * double(i + seed)));
    }
    return s;
}

struct Outputs
{
    Signal got[2];  // the effect's outputs
    Signal want[2]; // the model's outputs
};

// Runs the effect and the model over the input in blocks cycling through
// `blocks`, applying the changes to both between blocks. Every output buffer
// starts as a copy of the input; with `in_place` the effect reads its input
// from its output buffers.
Outputs run(Rig& rig, const Signal (&in)[2], const std::vector<long>& blocks,
        const std::vector<Change>& changes, bool mix, bool in_place)
{
    const long len = long(in[0].size());
    Outputs r{{in[0], in[1]}, {in[0], in[1]}};
    std::size_t next = 0;
    std::size_t b = 0;
    for (long pos = 0; pos < len; pos += blocks[b], b = (b + 1) % blocks.size()) {
        for (; next < changes.size() && changes[next].at <= pos; ++next) {
            rig.set(changes[next].setting);
        }
        const long n = std::min(blocks[b], len - pos);
        float* out[2] = {r.got[0].data() + pos, r.got[1].data() + pos};
        const float* src[2] = {in[0].data() + pos, in[1].data() + pos};
        if (in_place) {
            src[0] = out[0];
            src[1] = out[1];
        }
        (void)(mix ? rig.dsp.do_process_mix(out, src, n, false)
                   : rig.dsp.do_process_replacing(out, src, n, false));
        float* ref_out[2] = {r.want[0].data() + pos, r.want[1].data() + pos};
        const float* ref_in[2] = {in[0].data() + pos, in[1].data() + pos};
        rig.ref.process(ref_out, ref_in, n, mix);
    }
    return r;
}

// First sample where two runs differ in their bits, or -1.
long first_difference(const Signal& a, const Signal& b)
{
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (std::bit_cast<std::uint32_t>(a[i]) != std::bit_cast<std::uint32_t>(b[i])) {
            return long(i);
        }
    }
    return -1;
}

struct GoldenCase
{
    const char* name;
    float fs;
    std::vector<Setting> settings;
    std::vector<Change> changes;
};

const std::vector<GoldenCase> golden_cases = {
    {"defaults", 44100, {}, {}},
    {"one band", 48000, {{NBR_BAND, 2}, {TONE, 0.8}}, {}},
    {"low-pass alone", 44100, {{CUTOFF, 2000}, {RESO, 8}}, {{500, {TONE, 0.9}}, {1400, {TONE, 0.1}}}},
    {"sixteen bands", 44100, {{NBR_BAND, 16}, {CUTOFF, 500}, {SPACING, 1}}, {}},
    {"extreme resonance", 48000, {{RESO, 100}, {CUTOFF, 3000}, {NBR_BAND, 4}, {GAIN, 10}}, {}},
    {"evolution up", 44100, {{EVOLUTION, 20}, {NBR_BAND, 8}, {CUTOFF, 300}}, {}},
    {"evolution down", 48000, {{EVOLUTION, -35}, {NBR_BAND, 6}, {TONE, 0.3}}, {}},
    {"moves",
     44100,
     {{NBR_BAND, 5}, {CUTOFF, 700}},
     {{700, {NBR_BAND, 10}},  {700, {TONE, 0.2}},      {700, {CUTOFF, 1500}},
      {700, {EVOLUTION, 12}}, {700, {GAIN, 3}},        {2000, {NBR_BAND, 3}},
      {2000, {SPACING, 1.5}}, {2300, {ROUTING, 1}},    {2300, {ROUTING, 0}},
      {3000, {RESO, 30}},     {3000, {TONE, 0.9}},     {3000, {EVOLUTION, -8}},
      {3300, {NBR_BAND, 9}},  {3600, {CUTOFF, 9000}},  {4500, {CUTOFF, 800}},
      {4500, {NBR_BAND, 16}}, {5200, {ROUTING, 1}},    {5200, {TONE, 0.0}},
      {5700, {CUTOFF, 2500}}, {5700, {NBR_BAND, 12}},  {5700, {TONE, 0.6}},
      {5700, {EVOLUTION, 0}}, {5700, {RESET, 0}}}},
};

// Every road of both hooks (Pre and Post; mono input, stereo input into a mono
// output, stereo in and out, and a mono input into a stereo output), on an
// impulse and on a test signal, against the model: the same bits. In place
// gives the same bits as separate buffers.
TEST(BrevantDsp, RoadsMatchTheModelBitForBit)
{
    const std::vector<long> blocks = {37, 64, 100, 1, 256, 17};
    const bool io[4][2] = {{false, false}, {true, false}, {true, true}, {false, true}};
    for (const GoldenCase& c : golden_cases) {
        const long len = c.changes.empty() ? 3000 : 6400;
        for (const double routing : {0.0, 1.0}) {
            std::vector<Setting> settings = c.settings;
            settings.insert(settings.begin(), {ROUTING, routing});
            for (const auto& conn : io) {
                for (const bool mix : {false, true}) {
                    for (const bool impulse : {true, false}) {
                        const Signal in[2] = {test_signal(len, impulse, 1), test_signal(len, false, 2)};
                        Rig rig(c.fs, conn[0], conn[1], settings);
                        const Outputs r = run(rig, in, blocks, c.changes, mix, false);
                        Rig rig_ip(c.fs, conn[0], conn[1], settings);
                        const Outputs ip = run(rig_ip, in, blocks, c.changes, mix, true);
                        for (int ch = 0; ch < 2; ++ch) {
                            SCOPED_TRACE(testing::Message()
                                         << c.name << ", routing " << routing << ", right in "
                                         << conn[0] << ", right out " << conn[1] << ", mix "
                                         << mix << ", impulse " << impulse << ", channel " << ch);
                            EXPECT_EQ(first_difference(r.got[ch], r.want[ch]), -1);
                            EXPECT_EQ(first_difference(r.got[ch], ip.got[ch]), -1);
                        }
                    }
                }
            }
        }
    }
}

} // namespace
