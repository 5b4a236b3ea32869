#include "plugin/dsp/BrevantDsp.h"

#include "lib/basic/SettingMgrInterface.h"
#include "lib/dsp/cpu/FpControl.h"
#include "lib/mppi/MidiDevSelDispatcher.h"
#include "lib/mppi/MidiMgr.h"
#include "lib/mppi/NormalizedParamInterface.h"
#include "lib/mppi/ParamReorder.h"
#include "lib/mppi/PinProperty.h"
#include "lib/mppi/ProgramSlot.h"
#include "support/AllocFailure.h"
#include "support/BrevantModel.h"
#include "support/BrevantParamIndex.h"
#include "support/FakeHostDsp.h"
#include "support/FakePluginCmd.h"
#include "support/FpModeKeeper.h"
#include "support/RecordingNotified.h"
#include "support/Sanitizers.h"
#include "support/ScratchFolder.h"
#include "support/VectorBuilds.h"
#include "support/posix/EnvVar.h"

#include <gtest/gtest.h>

#include <atomic>
#include <bit>
#include <cfenv>
#include <cmath>
#include <cstring>
#include <limits>
#include <map>
#include <random>
#include <string>
#include <thread>
#include <vector>

namespace {

using test_support::FakeHostDsp;

using enum test_support::BrevantParamIndex;
// Not a parameter: a reset (clear_buffers) of the effect and the model.
constexpr int reset = -1;

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
        if (s.index == reset) {
            dsp.clear_buffers();
            ref.clear_buffers();
            return;
        }
        dsp.get_param_ref(s.index).set_nat_val(s.natural);
        double* field[] = {&ref.p.cutoff,  &ref.p.reso,    &ref.p.nbr_band,  &ref.p.gain,
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
        s[std::size_t(i)] =
            impulse ? (i == 0 ? 1.0f : 0.0f)
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
    {"low-pass alone",
     44100,
     {{CUTOFF, 2000}, {RESO, 8}},
     {{500, {TONE, 0.9}}, {1400, {TONE, 0.1}}}},
    {"sixteen bands", 44100, {{NBR_BAND, 16}, {CUTOFF, 500}, {SPACING, 1}}, {}},
    {"extreme resonance", 48000, {{RESO, 100}, {CUTOFF, 3000}, {NBR_BAND, 4}, {GAIN, 10}}, {}},
    {"evolution up", 44100, {{EVOLUTION, 20}, {NBR_BAND, 8}, {CUTOFF, 300}}, {}},
    {"evolution down", 48000, {{EVOLUTION, -35}, {NBR_BAND, 6}, {TONE, 0.3}}, {}},
    {"moves",
     44100,
     {{NBR_BAND, 5}, {CUTOFF, 700}},
     {{700, {NBR_BAND, 10}},  {700, {TONE, 0.2}},     {700, {CUTOFF, 1500}},
      {700, {EVOLUTION, 12}}, {700, {GAIN, 3}},       {2000, {NBR_BAND, 3}},
      {2000, {SPACING, 1.5}}, {2300, {ROUTING, 1}},   {2300, {ROUTING, 0}},
      {3000, {RESO, 30}},     {3000, {TONE, 0.9}},    {3000, {EVOLUTION, -8}},
      {3300, {NBR_BAND, 9}},  {3600, {CUTOFF, 9000}}, {4500, {CUTOFF, 800}},
      {4500, {NBR_BAND, 16}}, {5200, {ROUTING, 1}},   {5200, {TONE, 0.0}},
      {5700, {CUTOFF, 2500}}, {5700, {NBR_BAND, 12}}, {5700, {TONE, 0.6}},
      {5700, {EVOLUTION, 0}}, {5700, {reset, 0}}}},
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
                        const Signal in[2] = {test_signal(len, impulse, 1),
                                              test_signal(len, false, 2)};
                        Rig rig(c.fs, conn[0], conn[1], settings);
                        const Outputs r = run(rig, in, blocks, c.changes, mix, false);
                        Rig rig_ip(c.fs, conn[0], conn[1], settings);
                        const Outputs ip = run(rig_ip, in, blocks, c.changes, mix, true);
                        for (int ch = 0; ch < 2; ++ch) {
                            SCOPED_TRACE(testing::Message()
                                         << c.name << ", routing " << routing << ", right in "
                                         << conn[0] << ", right out " << conn[1] << ", mix " << mix
                                         << ", impulse " << impulse << ", channel " << ch);
                            EXPECT_EQ(first_difference(r.got[ch], r.want[ch]), -1);
                            EXPECT_EQ(first_difference(r.got[ch], ip.got[ch]), -1);
                        }
                    }
                }
            }
        }
    }
}

// One random stream: random rate, connections, hook, settings and inputs, cut
// into random blocks, with parameter changes, resets, rate changes (a new rate
// then a reset, as hosts do) and, on streams shorter than the smallest delay
// line, right channels connected and disconnected between blocks. Returns the
// number of samples compared; every one must match the model's bits.
long run_random_stream(std::mt19937& gen)
{
    const auto pick = [&](auto lo, auto hi) {
        return std::uniform_int_distribution<long>(long(lo), long(hi))(gen);
    };
    const auto real = [&](double lo, double hi) {
        return std::uniform_real_distribution<double>(lo, hi)(gen);
    };
    const float rates[] = {4000, 8000, 22050, 44100, 48000, 96000, 192000};
    const auto random_setting = [&]() -> Setting {
        static constexpr double range[8][2] = {{40, 10240}, {1, 100}, {1, 16},   {1, 10},
                                               {0, 1},      {1, 5},   {-50, 50}, {0, 1}};
        const int index = int(pick(0, 7));
        const double v = real(range[index][0], range[index][1]);
        return {index, index == NBR_BAND || index == ROUTING ? std::round(v) : v};
    };
    const bool switch_io = pick(0, 2) == 0;
    const long len = switch_io ? pick(500, 4000) : pick(2000, 20000);
    Signal in[2];
    for (Signal& ch : in) {
        ch = noise(len, unsigned(pick(0, 1 << 30)), float(real(1e-3, 2)));
        const long kind = pick(0, 5);
        for (long i = 0; i < len; ++i) {
            float& v = ch[std::size_t(i)];
            v = kind == 0   ? 0.0f
                : kind == 1 ? (i % 300 == 0 ? 1.0f : 0.0f)
                : kind == 2 ? 1e-39f * v
                : kind == 3 ? 20.0f * v
                : kind == 4 ? 0.5f * float(std::sin(0.01 * double(i * (1 + i % 7))))
                            : v;
        }
    }
    std::vector<Setting> settings;
    for (long k = pick(0, 8); k > 0; --k) {
        settings.push_back(random_setting());
    }
    bool conn[2] = {pick(0, 1) == 1, pick(0, 1) == 1};
    Rig rig(rates[pick(0, 6)], conn[0], conn[1], settings);
    const bool mix = pick(0, 1) == 1;
    Outputs r{{in[0], in[1]}, {in[0], in[1]}};
    const long max_block = pick(0, 3) == 0 ? 4 : 300;
    for (long pos = 0; pos < len;) {
        if (pick(0, 9) == 0) {
            const long what = pick(0, 19);
            if (what == 0) {
                rig.set({reset, 0});
            } else if (what == 1) {
                const float fs = rates[pick(0, 6)];
                rig.dsp.set_sample_freq(fs);
                rig.ref.set_sample_freq(fs);
                rig.set({reset, 0});
            } else if (what == 2 && switch_io) {
                conn[pick(0, 1)] ^= true;
                rig.host->set_right_connected(conn[0], conn[1]);
                rig.ref.stereo_in = conn[0];
                rig.ref.stereo_out = conn[1];
            } else {
                rig.set(random_setting());
            }
        }
        const long n = std::min(pick(1, max_block), len - pos);
        float* out[2] = {r.got[0].data() + pos, r.got[1].data() + pos};
        const float* src[2] = {in[0].data() + pos, in[1].data() + pos};
        (void)(mix ? rig.dsp.do_process_mix(out, src, n, false)
                   : rig.dsp.do_process_replacing(out, src, n, false));
        float* ref_out[2] = {r.want[0].data() + pos, r.want[1].data() + pos};
        rig.ref.process(ref_out, src, n, mix);
        pos += n;
    }
    for (int ch = 0; ch < 2; ++ch) {
        EXPECT_EQ(first_difference(r.got[ch], r.want[ch]), -1) << "channel " << ch;
        // The band filters end with the model's memory and toggle.
        for (int band = 0; band < FilterTapStage::NBR_BANDS; ++band) {
            const dsp::Biquad::State got = rig.dsp.get_tap_stage().get_filter(ch, band).get_state();
            const model::Section& want = rig.ref.tap.f[ch][band];
            const float got_mem[4] = {got.x1, got.x2, got.y1, got.y2};
            const float want_mem[4] = {want.xm[want.t], want.xm[1 - want.t], want.ym[want.t],
                                       want.ym[1 - want.t]};
            EXPECT_EQ(std::memcmp(got_mem, want_mem, sizeof got_mem), 0) << "band " << band;
            EXPECT_EQ(got.pos, want.t) << "band " << band;
        }
    }
    return 2 * len;
}

TEST(BrevantDsp, RandomAutomationMatchesTheModelBitForBit)
{
    // Under a sanitizer, the first streams (still on every vector build).
    constexpr int nbr_streams = test_support::UNDER_SANITIZER ? 50 : 200;
    std::mt19937 gen(20);
    long compared = 0;
    const std::vector<dsp::VectorIsa> isas = test_support::runnable_isas();
    for (int k = 0; k < nbr_streams && !HasFailure(); ++k) {
        // The streams take turns on each build of the vector kernels.
        const test_support::IsaLimit limit(isas[std::size_t(k) % isas.size()]);
        SCOPED_TRACE(testing::Message() << "stream " << k);
        compared += run_random_stream(gen);
    }
    RecordProperty("samples_compared", int(compared));
    EXPECT_GT(compared, nbr_streams * 1000L);
}

// Runs the effect alone (stereo in and out unless the host says otherwise) in
// blocks of `block`; returns both channels.
std::vector<Signal> process(BrevantDsp& dsp, const Signal (&in)[2], long block, bool mix = false)
{
    const long len = long(in[0].size());
    std::vector<Signal> out = {Signal(in[0].size(), 0.0f), Signal(in[1].size(), 0.0f)};
    for (long pos = 0; pos < len; pos += block) {
        float* o[2] = {out[0].data() + pos, out[1].data() + pos};
        const float* i[2] = {in[0].data() + pos, in[1].data() + pos};
        const long n = std::min(block, len - pos);
        (void)(mix ? dsp.do_process_mix(o, i, n, false) : dsp.do_process_replacing(o, i, n, false));
    }
    return out;
}

// With the parameters set before the reset, the chunking does not show in the
// output on noise.
TEST(BrevantDsp, BlockSizeDoesNotChangeTheOutput)
{
    const Signal in[2] = {noise(8192, 3), noise(8192, 4)};
    for (const double routing : {0.0, 1.0}) {
        const std::vector<Setting> settings = {{ROUTING, routing}, {NBR_BAND, 12}, {EVOLUTION, -20},
                                               {RESO, 20},         {TONE, 0.7},    {CUTOFF, 700},
                                               {GAIN, 4}};
        Rig first(44100, true, true, settings);
        const auto expected = process(first.dsp, in, 64);
        for (const long block : {1L, 17L, 65L, 4096L}) {
            Rig rig(44100, true, true, settings);
            const auto got = process(rig.dsp, in, block);
            for (int ch = 0; ch < 2; ++ch) {
                EXPECT_EQ(first_difference(got[std::size_t(ch)], expected[std::size_t(ch)]), -1)
                    << "block " << block << " routing " << routing << " channel " << ch;
            }
        }
    }
}

// The tick runs before the chunk that completes 64 samples, carrying the
// count over from block to block: blocks of 100 tick before samples 0, 100,
// 164, 200, 300 and 364. Each block and each tick asks the host about both
// right channels; a block of 0 samples asks nothing.
TEST(BrevantDsp, TicksFollowTheSampleCount)
{
    struct Case
    {
        std::vector<long> blocks;
        std::vector<long> ticks; // per block
    };
    const Case cases[] = {{{100, 100, 100, 100}, {1, 2, 1, 2}},
                          {{64}, {1}},
                          {{63, 1}, {0, 1}},
                          {{0, -5, 200}, {0, 0, 3}},
                          {{1, 1, 62, 1}, {0, 0, 1, 0}}};
    for (const Case& c : cases) {
        BrevantDsp dsp;
        auto* host = new FakeHostDsp;
        dsp.set_host(*host);
        ASSERT_EQ(dsp.init(), 0);
        dsp.set_default_state();
        dsp.set_sample_freq(44100);
        dsp.clear_buffers();
        Signal buf(256, 0.25f);
        for (std::size_t b = 0; b < c.blocks.size(); ++b) {
            float* o[2] = {buf.data(), buf.data()};
            const float* i[2] = {buf.data(), buf.data()};
            const long before = host->get_nbr_queries();
            const Signal before_buf = buf;
            (void)dsp.do_process_replacing(o, i, c.blocks[b], false);
            if (c.blocks[b] <= 0) {
                EXPECT_EQ(buf, before_buf) << "a block of no samples writes nothing";
            }
            const long block_queries = c.blocks[b] > 0 ? 2 : 0;
            EXPECT_EQ(host->get_nbr_queries() - before, block_queries + 2 * c.ticks[b])
                << "block " << b;
        }
    }
}

// Every parameter at 0, 0.5 and 1 and random mixes, at every rate from 4000 to
// 384000 Hz, on noise, silence, DC and full-scale squares: the output stays
// finite and bounded. After NaN or infinite input, a reset makes it finite again.
TEST(BrevantDsp, StaysFiniteAtEverySetting)
{
    const long len = 2048;
    Signal sq(len), dc(len, 1.0f), zero(len, 0.0f);
    for (long i = 0; i < len; ++i) {
        sq[std::size_t(i)] = (i / 37) % 2 == 0 ? 1.0f : -1.0f;
    }
    const Signal inputs[4][2] = {
        {noise(len, 5, 1), noise(len, 6, 1)}, {zero, zero}, {dc, dc}, {sq, dc}};
    std::vector<std::vector<float>> settings;
    for (const float v : {0.0f, 0.5f, 1.0f}) {
        settings.emplace_back(8, v);
        for (int p = 0; p < 8; ++p) {
            std::vector<float> one(8, 0.5f);
            one[std::size_t(p)] = v;
            settings.push_back(one);
        }
    }
    std::mt19937 gen(7);
    std::uniform_real_distribution<float> dist(0, 1);
    for (int k = 0; k < 12; ++k) {
        std::vector<float> mix(8);
        for (float& v : mix) {
            v = dist(gen);
        }
        settings.push_back(mix);
    }
    for (const float fs : {4000.0f, 8000.0f, 16000.0f, 22050.0f, 44100.0f, 96000.0f, 384000.0f}) {
        for (const auto& norm : settings) {
            BrevantDsp dsp;
            ASSERT_EQ(dsp.init(), 0);
            dsp.set_default_state();
            for (int p = 0; p < 8; ++p) {
                dsp.get_param_ref(p).set_nrm_val(norm[std::size_t(p)]);
            }
            dsp.set_sample_freq(fs);
            dsp.clear_buffers();
            for (const auto& in : inputs) {
                for (const auto& ch : process(dsp, in, 256)) {
                    const float peak =
                        *std::max_element(ch.begin(), ch.end(), [](float a, float b) {
                            return !(std::fabs(a) >= std::fabs(b));
                        });
                    ASSERT_LT(std::fabs(peak), 64.0f) << "rate " << fs << " tone " << norm[7];
                }
            }
        }
    }
    const float inf = std::numeric_limits<float>::infinity();
    for (const float bad : {std::nanf(""), inf, -inf}) {
        BrevantDsp dsp;
        ASSERT_EQ(dsp.init(), 0);
        dsp.set_default_state();
        dsp.get_param_ref(NBR_BAND).set_nat_val(8);
        dsp.set_sample_freq(44100);
        dsp.clear_buffers();
        Signal spoiled = noise(512, 8);
        spoiled[100] = bad;
        const Signal in_bad[2] = {spoiled, spoiled};
        (void)process(dsp, in_bad, 64);
        dsp.clear_buffers();
        const Signal in_ok[2] = {noise(4096, 9), noise(4096, 10)};
        for (const auto& ch : process(dsp, in_ok, 64)) {
            for (const float v : ch) {
                ASSERT_TRUE(std::isfinite(v));
            }
        }
    }
}

// Ten seconds of a DC offset of 0.25 at 15 bands (300 Hz to 4500 Hz): the
// band-passes' outputs decay towards zero (0.25 plus the dither is 0.25), and
// not one value of their memory, nor of the low-passes', is left subnormal.
TEST(BrevantDsp, DcInputLeavesNoSubnormalInTheFilters)
{
    const long len = 441000;
    const long block = 512;
    Rig rig(44100, true, true, {{NBR_BAND, 16}, {CUTOFF, 300}, {SPACING, 1}});
    const Signal in(block, 0.25f);
    Signal out[2] = {Signal(block), Signal(block)};
    for (long pos = 0; pos < len; pos += block) {
        float* o[2] = {out[0].data(), out[1].data()};
        const float* i[2] = {in.data(), in.data()};
        (void)rig.dsp.do_process_replacing(o, i, block, false);
    }
    const FilterTapStage& tap = rig.dsp.get_tap_stage();
    ASSERT_EQ(tap.get_nbr_active_band(), FilterTapStage::NBR_BANDS);
    for (int ch = 0; ch < 2; ++ch) {
        std::vector<dsp::Biquad::State> states = {rig.dsp.get_lpf(ch).get_state()};
        for (int band = 0; band < FilterTapStage::NBR_BANDS; ++band) {
            states.push_back(tap.get_filter(ch, band).get_state());
        }
        for (std::size_t k = 0; k < states.size(); ++k) {
            for (const float v : {states[k].x1, states[k].x2, states[k].y1, states[k].y2}) {
                EXPECT_NE(std::fpclassify(v), FP_SUBNORMAL)
                    << v << " in channel " << ch << ", "
                    << (k == 0 ? std::string("low-pass") : "band " + std::to_string(k - 1));
            }
        }
    }
}

// A fake host that notes the floating-point mode in which the effect asks it
// about the right output, from inside the block.
class ModeSpyHost : public FakeHostDsp
{
public:
    bool is_output_connected(int pin, int chn) const noexcept override
    {
        flushing_inside = flushes_now();
        rounding_inside = std::fegetround();
        return FakeHostDsp::is_output_connected(pin, chn);
    }

    static bool flushes_now()
    {
        const std::uint64_t bits = dsp::cpu::FLUSH_DENORMAL_BITS;
        return bits != 0 && (dsp::cpu::read_fp_control() & bits) == bits;
    }

    mutable bool flushing_inside = false;
    mutable int rounding_inside = -1;
};

// Both hooks run with subnormals flushed to zero, under the caller's
// rounding, and give the caller's mode back: from the default mode or
// another rounding exactly as it was (exception flags too); a mode that
// already flushes is left alone.
TEST(BrevantDsp, HooksFlushSubnormalsAndKeepTheCallersMode)
{
    const test_support::FpModeKeeper test_mode;
    const std::uint64_t flush = dsp::cpu::FLUSH_DENORMAL_BITS;
    BrevantDsp dsp;
    auto* host = new ModeSpyHost; // owned by dsp
    dsp.set_host(*host);
    ASSERT_EQ(dsp.init(), 0);
    dsp.set_default_state();
    dsp.set_sample_freq(44100);
    dsp.clear_buffers();
    const Signal in[2] = {noise(100, 21), noise(100, 22)};
    for (const int rounding : {FE_TONEAREST, FE_TOWARDZERO}) {
        for (const bool flushing : {false, true}) {
            for (const bool mix : {false, true}) {
                ASSERT_EQ(std::fesetround(rounding), 0);
                dsp::cpu::write_fp_control(flushing ? dsp::cpu::read_fp_control() | flush
                                                    : dsp::cpu::read_fp_control() & ~flush);
                const std::uint64_t caller = dsp::cpu::read_fp_control();
                host->flushing_inside = false;
                (void)process(dsp, in, 100, mix);
                const std::uint64_t after = dsp::cpu::read_fp_control();
                const int rounding_after = std::fegetround();
                test_mode.restore();
                SCOPED_TRACE(testing::Message() << "rounding " << rounding << ", flushing "
                                                << flushing << ", mix " << mix);
                EXPECT_EQ(host->flushing_inside, flush != 0);
                EXPECT_EQ(host->rounding_inside, rounding);
                EXPECT_EQ(rounding_after, rounding);
                EXPECT_EQ(after & flush, caller & flush);
                if (!flushing) {
                    EXPECT_EQ(after, caller);
                }
            }
        }
    }
}

// init registers the eight parameters in order, each at its default with the
// automation level 2, and passes the settings manager's result on (a second
// init registers the host's map twice, which the manager refuses). The
// default state is the low-pass alone under "Morvanel default".
TEST(BrevantDsp, SetUpAndDefaultState)
{
    BrevantDsp dsp;
    auto* host = new FakeHostDsp;
    mppi::ParamReorder reorder;
    reorder.init(dsp);
    host->set_param_reorder(&reorder);
    dsp.set_host(*host);
    ASSERT_EQ(dsp.init(), 0);
    EXPECT_EQ(host->get_nbr_init(), 1);
    dsp.set_default_state();

    const struct
    {
        const char* name;
        double natural;
    } params[8] = {{"Cutoff Freq", 1000}, {"Resonance", 1},    {"Nbr Bands", 1}, {"Dist Gain", 1},
                   {"Dist Routing", 1},   {"Band Spacing", 2}, {"Evolution", 0}, {"Tone", 0.5}};
    ASSERT_EQ(dsp.get_nbr_param(), 8);
    ASSERT_EQ(dsp.get_next_param_id(), 8);
    for (int i = 0; i < 8; ++i) {
        char name[32];
        dsp.get_param_ref(i).get_name(name, sizeof name);
        EXPECT_STREQ(name, params[i].name);
        EXPECT_NEAR(dsp.get_param_ref(i).get_nat_val(), params[i].natural, 1e-9);
        EXPECT_EQ(dsp.get_param_ref(i).get_automation_level(), 2);
        EXPECT_EQ(dsp.get_param_ref(i).get_notified(),
                  i < 6 ? static_cast<mppi::NotifiedInterface*>(&dsp)
                        : static_cast<const mppi::NotifiedInterface*>(&dsp.get_tap_stage()));
    }
    EXPECT_EQ(dsp.get_tap_stage().get_nbr_active_band(), 0);
    EXPECT_EQ(dsp.get_program_name(), "Morvanel default");
    EXPECT_EQ(dsp.get_lpf(0)._type, dsp::Filter2p::TYPE_LOWPASS);
    EXPECT_EQ(dsp.get_harm_lpf_balance(), std::cos(0.25 * 3.141592653589793) * 0.7071067811865476);

    dsp.restore();
    EXPECT_EQ(dsp.get_next_param_id(), 0);
    EXPECT_EQ(dsp.init(), basic::SettingMgrInterface::ERR_CLIENT_ALREADY_REGISTERED);
    EXPECT_EQ(dsp.get_next_param_id(), 8);
}

// With a MIDI manager, init reads the MIDI preferences under the plug-in's
// name and maps parameter i to NRPN i.
TEST(BrevantDsp, SetUpWithMidiManager)
{
    test_support::ScratchFolder prefs;
    test_support::EnvVar config{"XDG_CONFIG_HOME", prefs.path().c_str()};
    BrevantDsp dsp;
    mppi::MidiReceiverInterface client;
    test_support::FakePluginCmd cmd;
    mppi::MidiDevSelDispatcher dispatcher;
    mppi::MidiMgr midi;
    midi.connect_obj(client, dsp, dispatcher, cmd);
    auto* host = new FakeHostDsp;
    host->set_midi_mgr(&midi);
    dsp.set_host(*host);
    ASSERT_FALSE(midi.use_persistent_midi_settings().init_check());
    ASSERT_EQ(dsp.init(), 0);
    EXPECT_TRUE(midi.use_persistent_midi_settings().init_check());
    std::map<long, int> expected;
    for (int i = 0; i < 8; ++i) {
        expected[99L * 65536 + i] = i;
    }
    EXPECT_EQ(midi.get_param_mapping(), expected);
    dsp.restore();
}

TEST(BrevantDsp, PropertiesPinsAndRates)
{
    BrevantDsp dsp;
    EXPECT_EQ(dsp.get_property("can_mono"), 1.0);
    EXPECT_EQ(dsp.get_property("plugin_version"), 1.6);
    for (const char* name : {"can_scaled_val", "Can_mono", "can_mono ", "", "plugin_name"}) {
        EXPECT_EQ(dsp.get_property(name), 0.0) << name;
    }
    EXPECT_EQ(dsp.get_string_property("plugin_name"), "Morvanel");
    EXPECT_EQ(dsp.get_string_property("manufacturer"), "Tarnwick");
    EXPECT_EQ(dsp.get_string_property("plugin_category"), "effect");
    EXPECT_EQ(dsp.get_string_property("Plugin_name"), "");
    EXPECT_EQ(dsp.get_nbr_in_pin(), 1);
    EXPECT_EQ(dsp.get_nbr_out_pin(), 1);
    const mppi::PinProperty* pins[2] = {&dsp.get_input_pin_prop(5), &dsp.get_output_pin_prop(0)};
    const char* names[2][3] = {{"Input", "Left input", "Right input"},
                               {"Output", "Left output", "Right output"}};
    for (int p = 0; p < 2; ++p) {
        EXPECT_EQ(pins[p]->get_name(), names[p][0]);
        ASSERT_EQ(pins[p]->get_nbr_chn(), 2);
        EXPECT_EQ(pins[p]->get_chn_name(0), names[p][1]);
        EXPECT_EQ(pins[p]->get_chn_name(1), names[p][2]);
    }
    EXPECT_EQ(&dsp.get_input_pin_prop(0), pins[0]);
    EXPECT_EQ(dsp.get_min_sample_freq(), 4000);
    EXPECT_EQ(dsp.get_max_sample_freq(), 384000);
    dsp.set_program_name("Bright");
    EXPECT_EQ(dsp.get_program_name(), "Bright");
    EXPECT_EQ(dsp.get_host(), nullptr);
    EXPECT_EQ(dsp.get_bkg(), nullptr);
    EXPECT_EQ(dsp.get_serializer(), nullptr);
    EXPECT_EQ(dsp.get_converter(), nullptr);
}

// A program sets, and notifies, only the values that differ; a program with
// fewer values sets only those it holds, one with more only the first eight.
TEST(BrevantDsp, ProgramTransfer)
{
    BrevantDsp dsp;
    ASSERT_EQ(dsp.init(), 0);
    dsp.set_default_state();
    mppi::ProgramSlot current;
    dsp.do_get_program(current);
    ASSERT_EQ(current.get_nbr_param(), 8);
    test_support::RecordingNotified recorder;
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(current.get_param(i), dsp.get_param_ref(i).get_nrm_val());
        dsp.get_param_ref(i).set_notified(&recorder);
    }
    struct Case
    {
        int nbr;
        std::vector<int> changed; // indices given another value
        std::vector<int> expected;
    };
    const Case cases[] = {
        {8, {}, {}}, {8, {1, 6}, {1, 6}}, {3, {1, 2}, {1, 2}}, {12, {7, 10}, {7}}, {0, {}, {}}};
    for (const Case& c : cases) {
        mppi::ProgramSlot program;
        program.set_nbr_param(c.nbr);
        for (int i = 0; i < c.nbr; ++i) {
            program.set_param(i, i < 8 ? dsp.get_param_ref(i).get_nrm_val() : 0.5f);
        }
        for (const int i : c.changed) {
            program.set_param(i, 0.25f);
        }
        recorder.senders.clear();
        dsp.do_set_program(program);
        std::vector<const mppi::NotifierInterface*> expected;
        for (const int i : c.expected) {
            expected.push_back(&dsp.get_param_ref(i));
            EXPECT_EQ(dsp.get_param_ref(i).get_nrm_val(), 0.25f);
        }
        EXPECT_EQ(recorder.senders, expected) << "program of " << c.nbr;
        dsp.do_set_program(current);
    }
}

// Neither hook nor the tick allocates on any road, while parameters move.
TEST(BrevantDsp, HooksAllocateNothing)
{
    const bool io[4][2] = {{false, false}, {true, false}, {true, true}, {false, true}};
    Signal buf[2] = {noise(4096, 11), noise(4096, 12)};
    for (const auto& conn : io) {
        Rig rig(48000, conn[0], conn[1], {{NBR_BAND, 9}, {EVOLUTION, 25}});
        const long before = test_support::get_nbr_allocations();
        for (int round = 0; round < 8; ++round) {
            rig.dsp.get_param_ref(round % 8).set_nrm_val(float(round) / 8);
            rig.dsp.get_param_ref(ROUTING).set_nrm_val(float(round % 2));
            float* o[2] = {buf[0].data(), buf[1].data()};
            const float* i[2] = {buf[0].data(), buf[1].data()};
            (void)rig.dsp.do_process_replacing(o, i, 1000 + round, false);
            (void)rig.dsp.do_process_mix(o, i, 333, false);
            rig.dsp.tick(64);
        }
        EXPECT_EQ(test_support::get_nbr_allocations(), before);
    }
}

// The low-pass cut-off is kept at 0.475 times the rate (16000 Hz: 7600 Hz
// instead of 10240, which would be unstable), and nothing changes from
// 22050 Hz up; rates that are not finite or not above 0 are ignored.
TEST(BrevantDsp, CutoffAndRateLimits)
{
    struct Case
    {
        float fs;
        float expected_freq;
    };
    const float inf = std::numeric_limits<float>::infinity();
    for (const Case& c :
         {Case{16000, 7600}, Case{8000, 3800}, Case{22050, 10240}, Case{384000, 10240}}) {
        Rig rig(c.fs, true, true, {{CUTOFF, 10240}, {RESO, 100}, {ROUTING, 0}});
        EXPECT_EQ(rig.dsp.get_lpf(0)._freq, c.expected_freq);
        EXPECT_EQ(rig.dsp.get_lpf(1)._freq, c.expected_freq);
        const long ring = rig.dsp.get_tap_stage().get_ring_size();
        for (const float bad : {0.0f, -44100.0f, inf, std::nanf("")}) {
            rig.dsp.set_sample_freq(bad);
            rig.dsp.clear_buffers();
            EXPECT_EQ(rig.dsp.get_lpf(0)._sample_freq, c.fs);
            EXPECT_EQ(rig.dsp.get_tap_stage().get_ring_size(), ring);
        }
        const Signal in[2] = {noise(8192, 13, 1), noise(8192, 14, 1)};
        for (const auto& ch : process(rig.dsp, in, 64)) {
            EXPECT_LT(std::fabs(*std::max_element(ch.begin(), ch.end())), 2.0f) << c.fs;
        }
    }
}

// Out-of-range band counts and cut-offs given as natural values keep every
// band index within the bank.
TEST(BrevantDsp, BandCountAndLimitAreClamped)
{
    const std::vector<Setting> cases[] = {{{NBR_BAND, 0}},
                                          {{NBR_BAND, -7}},
                                          {{NBR_BAND, 40}},
                                          {{NBR_BAND, std::nan("")}},
                                          {{CUTOFF, 0}, {NBR_BAND, 16}},
                                          {{CUTOFF, -5}, {NBR_BAND, 16}}};
    for (const auto& settings : cases) {
        Rig rig(44100, true, true, settings);
        const Signal in[2] = {noise(1024, 15), noise(1024, 16)};
        (void)process(rig.dsp, in, 100);
        const FilterTapStage& tap = rig.dsp.get_tap_stage();
        EXPECT_GE(tap.get_nbr_active_band(), 0);
        EXPECT_LE(tap.get_nbr_active_band(), FilterTapStage::NBR_BANDS);
        EXPECT_LE(tap.get_first_rband_decreasing(), tap.get_nbr_active_band());
    }
}

// Without a host adapter both channels count as connected.
TEST(BrevantDsp, NoHostMeansStereo)
{
    BrevantDsp dsp;
    ASSERT_EQ(dsp.init(), 0);
    dsp.set_default_state();
    dsp.set_sample_freq(44100);
    dsp.clear_buffers();
    const Signal in[2] = {noise(128, 17), noise(128, 18)};
    (void)process(dsp, in, 128);
    EXPECT_TRUE(dsp.is_stereo_in());
    EXPECT_TRUE(dsp.get_tap_stage().get_stereo_flag());
}

// A change written while the audio thread ticks is never lost: once the
// writer stops, the next tick takes its last value.
TEST(BrevantDsp, ConcurrentChangeIsTaken)
{
    Rig rig(44100, true, true);
    std::atomic<bool> done{false};
    std::thread writer([&] {
        for (int k = 0; k < 20000; ++k) {
            rig.dsp.get_param_ref(GAIN).set_nat_val(1 + (k % 9));
            rig.dsp.get_param_ref(TONE).set_nat_val(double(k % 11) / 10);
        }
        rig.dsp.get_param_ref(GAIN).set_nat_val(7.5);
        rig.dsp.get_param_ref(TONE).set_nat_val(0.25);
        done.store(true, std::memory_order_release);
    });
    Signal buf[2] = {noise(64, 19), noise(64, 20)};
    float* o[2] = {buf[0].data(), buf[1].data()};
    const float* i[2] = {buf[0].data(), buf[1].data()};
    while (!done.load(std::memory_order_acquire)) {
        (void)rig.dsp.do_process_replacing(o, i, 64, false);
    }
    writer.join();
    for (int k = 0; k < 20; ++k) { // 1280 samples: every glide and ramp has ended
        (void)rig.dsp.do_process_replacing(o, i, 64, false);
    }
    EXPECT_FLOAT_EQ(rig.dsp.get_tap_stage().get_band_gain_cur(),
                    float(std::sin(0.25 * 1.5707963267948966) * 0.7071067811865476));
    EXPECT_DOUBLE_EQ(rig.dsp.get_harm_lpf_balance(),
                     std::cos(0.25 * 1.5707963267948966) * 0.7071067811865476);
}

} // namespace
