// The whole effect at 15 bands and 44100 Hz, in ns per stereo frame, on
// 64- and 1-sample blocks: stereo, mono, and with the bands fading in and out
// all the time; then stereo on 512-frame blocks of noise, of a constant 0.25
// (a DC offset: the band-pass outputs decay towards zero and must not linger
// on subnormal numbers) and of subnormal samples (+/-1e-41), each to be read
// against noise. Beside it, the 30 band sections of the same frames (15 per
// channel, each on its own tap, summed per channel) two ways: one section
// after another with the plain block calls, the scalar form, and side by side
// in the band bank, the floor the effect can come down to. Last, a block in
// which the stereo flag turns on (the 15 right filters take the left ones'
// settings) against one in which it stays on.

#include "lib/dsp/Filter2p.h"
#include "lib/dsp/VectorTarget.h"
#include "lib/mppi/NormalizedParamInterface.h"
#include "plugin/dsp/BandBank.h"
#include "plugin/dsp/BrevantDsp.h"

#include "../tests/support/BrevantParamIndex.h"
#include "../tests/support/FakeHostDsp.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <random>
#include <vector>

namespace {

constexpr float sample_freq = 44100;
constexpr long input_len = 4096;
constexpr int nbr_bands = 15;
constexpr int nbr_chn = 2;
// Each section reads its own tap, this many samples behind the previous one.
constexpr long tap_spacing = 37;
// Taps and blocks stay within the input.
constexpr long section_span = input_len - nbr_bands * tap_spacing - 64;
// Band count switches every this many samples while every band fades (less
// than the 640 samples of a full fade, so no band settles).
constexpr long fade_period = 512;
constexpr double warm_up_s = 0.05;

using enum test_support::BrevantParamIndex;

std::vector<float> make_input(unsigned seed)
{
    std::mt19937 gen(seed);
    std::uniform_real_distribution<float> dist(-0.5f, 0.5f);
    std::vector<float> v(input_len);
    for (float& s : v) {
        s = dist(gen);
    }
    return v;
}

// Inputs of bm_effect_input, by its "input" argument.
enum InputKind : long
{
    NOISE,
    DC,
    SUBNORMAL
};

// The input of one channel: noise of +/-0.5, a constant 0.25, or the noise's
// signs at 1e-41 (a subnormal float).
std::vector<float> make_input(unsigned seed, long kind)
{
    std::vector<float> v = make_input(seed);
    for (float& s : v) {
        s = kind == DC ? 0.25f : kind == SUBNORMAL ? (s < 0 ? -1e-41f : 1e-41f) : s;
    }
    return v;
}

// The effect with 15 bands (1 + 15 "Nbr Bands", cut-off 300 Hz, spacing 1,
// so the highest band sits at 4500 Hz), a short Evolution and Post routing.
struct Effect
{
    BrevantDsp dsp;
    test_support::FakeHostDsp* host = new test_support::FakeHostDsp; // owned by dsp

    explicit Effect(bool stereo)
    {
        host->set_right_connected(stereo, stereo);
        dsp.set_host(*host);
        (void)dsp.init();
        dsp.set_default_state();
        const double settings[][2] = {{NBR_BAND, 16}, {CUTOFF, 300},  {SPACING, 1}, {RESO, 4},
                                      {TONE, 0.6},    {EVOLUTION, 8}, {GAIN, 2}};
        for (const auto& s : settings) {
            dsp.get_param_ref(int(s[0])).set_nat_val(s[1]);
        }
        dsp.set_sample_freq(sample_freq);
        dsp.clear_buffers();
    }
};

// The instruction set of the vector builds that ran.
const char* isa_name()
{
    return dsp::pick_build("baseline", "avx2", "avx512");
}

void report(benchmark::State& state, long frames_per_iteration)
{
    state.SetLabel(isa_name());
    const auto frames = double(state.iterations()) * double(frames_per_iteration);
    state.SetItemsProcessed(state.iterations() * frames_per_iteration);
    // Seconds per stereo frame, printed with an SI prefix (n for nanoseconds).
    state.counters["time/frame"] =
        benchmark::Counter(frames, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

// Blocks of state.range(0) frames through `process`, over a looping input of
// the given kind.
template <typename Process>
void run_blocks(benchmark::State& state, Process process, long kind = NOISE)
{
    const long block = state.range(0);
    const std::vector<float> in[2] = {make_input(1, kind), make_input(2, kind)};
    std::vector<float> out[2] = {std::vector<float>(input_len), std::vector<float>(input_len)};
    long pos = 0;
    for (auto _ : state) {
        float* o[2] = {out[0].data() + pos, out[1].data() + pos};
        const float* i[2] = {in[0].data() + pos, in[1].data() + pos};
        process(o, i, block, pos);
        benchmark::ClobberMemory();
        pos = (pos + block) % input_len;
    }
    benchmark::DoNotOptimize(out[0].data());
    report(state, block);
}

// The band-pass sections of the effect's 15 bands on both channels.
std::vector<dsp::Filter2p> make_band_sections()
{
    std::vector<dsp::Filter2p> sections(nbr_chn * nbr_bands);
    for (std::size_t k = 0; k < sections.size(); ++k) {
        dsp::Filter2p& f = sections[k];
        const auto band = float(k % nbr_bands);
        f._type = dsp::Filter2p::TYPE_BANDPASS;
        f._freq = 300.0f * (band + 1);
        f._q = band + 1;
        f.update_eq();
    }
    return sections;
}

// Blocks of state.range(0) frames through the 30 sections: `process` gets
// the input of both channels at the block's start, each section's tap being
// tap_spacing samples behind the previous one's.
template <typename Process>
void run_sections(benchmark::State& state, Process process)
{
    const long block = state.range(0);
    const std::vector<float> in[nbr_chn] = {make_input(1), make_input(2)};
    std::vector<float> out[nbr_chn] = {std::vector<float>(64), std::vector<float>(64)};
    long pos = 0;
    for (auto _ : state) {
        float* o[nbr_chn] = {out[0].data(), out[1].data()};
        const float* i[nbr_chn] = {in[0].data() + pos, in[1].data() + pos};
        process(o, i, block);
        benchmark::ClobberMemory();
        pos = (pos + block) % section_span;
    }
    benchmark::DoNotOptimize(out[0].data());
    report(state, block);
}

// The scalar form: one section after another, each adding its block into the
// channel's sum.
void bm_sections_one_by_one(benchmark::State& state)
{
    std::vector<dsp::Filter2p> sections = make_band_sections();
    run_sections(state, [&](float** o, const float** i, long n) {
        for (int chn = 0; chn < nbr_chn; ++chn) {
            for (int band = 0; band < nbr_bands; ++band) {
                dsp::Filter2p& f = sections[std::size_t(chn * nbr_bands + band)];
                const float* tap = i[chn] + band * tap_spacing;
                if (band == 0) {
                    f.process_block(o[chn], tap, n);
                } else {
                    f.process_block_mix(o[chn], tap, n);
                }
            }
        }
    });
}

// The floor: the same sections side by side in the band bank.
void bm_sections_side_by_side(benchmark::State& state)
{
    const std::vector<dsp::Filter2p> sections = make_band_sections();
    BandBank bank;
    long delays[BandBank::NBR_LANES] = {};
    for (int band = 0; band < nbr_bands; ++band) {
        delays[band] = (nbr_bands - band) * tap_spacing;
    }
    for (int chn = 0; chn < nbr_chn; ++chn) {
        for (int band = 0; band < nbr_bands; ++band) {
            bank.set_coefs(chn, band, sections[std::size_t(chn * nbr_bands + band)]);
        }
    }
    run_sections(state, [&](float** o, const float** i, long n) {
        BandBank::Chunk chunk;
        chunk.nbr_chn = nbr_chn;
        chunk.nbr_lanes = nbr_bands;
        chunk.nbr_spl = n;
        for (int chn = 0; chn < nbr_chn; ++chn) {
            chunk.line[chn] = i[chn];
        }
        // Band b reads b tap spacings after the block's start.
        chunk.delay = delays;
        chunk.tap_pos = nbr_bands * tap_spacing;
        chunk.ring_mask = ~0L;
        bank.process(o, chunk);
    });
}

void bm_effect_stereo(benchmark::State& state)
{
    Effect fx(true);
    run_blocks(state, [&](float** o, const float** i, long n, long) {
        (void)fx.dsp.do_process_replacing(o, i, n, false);
    });
}

// Stereo, on the input kind of state.range(1).
void bm_effect_input(benchmark::State& state)
{
    Effect fx(true);
    run_blocks(
        state,
        [&](float** o, const float** i, long n, long) {
            (void)fx.dsp.do_process_replacing(o, i, n, false);
        },
        state.range(1));
}

void bm_effect_mono(benchmark::State& state)
{
    Effect fx(false);
    run_blocks(state, [&](float** o, const float** i, long n, long) {
        (void)fx.dsp.do_process_replacing(o, i, n, false);
    });
}

void bm_effect_fading(benchmark::State& state)
{
    Effect fx(true);
    long done = 0;
    bool all = true;
    run_blocks(state, [&](float** o, const float** i, long n, long) {
        if (done >= fade_period) {
            done = 0;
            all = !all;
            fx.dsp.get_param_ref(NBR_BAND).set_nat_val(all ? 16 : 1);
        }
        (void)fx.dsp.do_process_replacing(o, i, n, false);
        done += n;
    });
}

// One-sample blocks in which the right output is connected again each time
// (the flag turns on: 15 right filters are recomputed), against blocks in
// which it stays connected. Timed per block; the disconnection in between is
// outside the timing.
void bm_stereo_flag(benchmark::State& state)
{
    const bool switch_on = state.range(0) != 0;
    Effect fx(true);
    const std::vector<float> in = make_input(3);
    std::vector<float> out(2);
    long pos = 0;
    for (auto _ : state) {
        if (switch_on) {
            state.PauseTiming();
            fx.host->set_right_connected(true, false);
            float* o[2] = {&out[0], &out[1]};
            const float* i[2] = {&in[std::size_t(pos)], &in[std::size_t(pos)]};
            (void)fx.dsp.do_process_replacing(o, i, 1, false);
            fx.host->set_right_connected(true, true);
            state.ResumeTiming();
        }
        float* o[2] = {&out[0], &out[1]};
        const float* i[2] = {&in[std::size_t(pos)], &in[std::size_t(pos)]};
        (void)fx.dsp.do_process_replacing(o, i, 1, false);
        benchmark::ClobberMemory();
        pos = (pos + 1) % input_len;
    }
    report(state, 1);
}

BENCHMARK(bm_sections_one_by_one)->ArgName("block")->Arg(64)->Arg(1)->MinWarmUpTime(warm_up_s);
BENCHMARK(bm_sections_side_by_side)->ArgName("block")->Arg(64)->Arg(1)->MinWarmUpTime(warm_up_s);
BENCHMARK(bm_effect_stereo)->ArgName("block")->Arg(64)->Arg(1)->MinWarmUpTime(warm_up_s);
BENCHMARK(bm_effect_input)
    ->ArgNames({"block", "input"})
    ->ArgsProduct({{512}, {NOISE, DC, SUBNORMAL}})
    ->MinWarmUpTime(warm_up_s);
BENCHMARK(bm_effect_mono)->ArgName("block")->Arg(64)->Arg(1)->MinWarmUpTime(warm_up_s);
BENCHMARK(bm_effect_fading)->ArgName("block")->Arg(64)->Arg(1)->MinWarmUpTime(warm_up_s);
BENCHMARK(bm_stereo_flag)->ArgName("switch_on")->Arg(0)->Arg(1)->MinWarmUpTime(warm_up_s);

} // namespace
