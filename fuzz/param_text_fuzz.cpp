// Feeds arbitrary text to the display readers of the effect's eight
// parameters, and prints what they read back into buffers of every length the
// first byte chooses: a refused text must leave `ok` alone, an accepted
// numeric one must land in the range, and no display may write past its
// length or leave it unterminated. The number reader must take the same
// number as the C library's strtod in the "C" locale, to the bit.
#include "plugin/dsp/ParamBandDelay.h"
#include "plugin/dsp/ParamCutFreq.h"
#include "plugin/dsp/ParamDistoGain.h"
#include "plugin/dsp/ParamDistoRouting.h"
#include "plugin/dsp/ParamHarmBalance.h"
#include "plugin/dsp/ParamHarmFactor.h"
#include "plugin/dsp/ParamNbrBand.h"
#include "plugin/dsp/ParamReso.h"

#include "lib/basic/StrNumDate.h"

#include <array>
#include <bit>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

constexpr char UNTOUCHED = '\x5a';

void check_print(const mppi::NormalizedParamInterface& param, double natural, long len)
{
    std::array<char, 64> buf{};
    buf.fill(UNTOUCHED);
    param.do_print_val(buf.data(), len, natural);
    for (std::size_t i = static_cast<std::size_t>(len); i < buf.size(); ++i) {
        if (buf[i] != UNTOUCHED) {
            std::abort();
        }
    }
    if (len > 0 && std::memchr(buf.data(), '\0', static_cast<std::size_t>(len)) == nullptr) {
        std::abort();
    }
}

void check_reader(const char* text)
{
    char* end = nullptr;
    const double expected = std::strtod(text, &end);
    double value = 0.0;
    const char* read_end = nullptr;
    const bool ok = basic::scan_double(text, value, read_end);
    if (ok != (end != text) || read_end != (ok ? end : text)) {
        std::abort();
    }
    const bool same = std::isnan(expected) ? std::isnan(value)
                                           : std::bit_cast<std::uint64_t>(value) ==
                                                 std::bit_cast<std::uint64_t>(expected);
    if (ok && !same) {
        std::abort();
    }
}

void check_param(const mppi::NormalizedParamInterface& param, const char* text, long len, double lo,
                 double hi)
{
    bool ok = false;
    const double value = param.do_scan_val(text, ok);
    if (ok && !(value >= lo && value <= hi)) {
        std::abort();
    }
    check_print(param, ok ? value : std::strtod(text, nullptr), len);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0) {
        return 0;
    }
    const long len = data[0] % 40;
    const std::string text(reinterpret_cast<const char*>(data + 1), size - 1);
    const char* t = text.c_str();

    check_reader(t);
    ParamCutFreq cut;
    check_param(cut, t, len, ParamCutFreq::VAL_MIN, ParamCutFreq::VAL_MAX);
    cut.set_nfs(true);
    check_param(cut, t, len, ParamCutFreq::VAL_MIN, ParamCutFreq::VAL_MAX);
    check_param(ParamReso{}, t, len, ParamReso::VAL_MIN, ParamReso::VAL_MAX);
    check_param(ParamNbrBand{}, t, len, ParamNbrBand::VAL_MIN, ParamNbrBand::VAL_MAX);
    check_param(ParamDistoGain{}, t, len, ParamDistoGain::VAL_MIN, ParamDistoGain::VAL_MAX);
    check_param(ParamDistoRouting{}, t, len, 0.0, 1.0);
    check_param(ParamHarmFactor{}, t, len, ParamHarmFactor::VAL_MIN, ParamHarmFactor::VAL_MAX);
    check_param(ParamBandDelay{}, t, len, ParamBandDelay::VAL_MIN, ParamBandDelay::VAL_MAX);
    check_param(ParamHarmBalance{}, t, len, ParamHarmBalance::VAL_MIN, ParamHarmBalance::VAL_MAX);
    return 0;
}
