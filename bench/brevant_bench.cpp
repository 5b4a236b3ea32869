// The whole effect at 15 bands and 44100 Hz, in ns per stereo frame, on
// 64- and 1-sample blocks: stereo, mono, and with the bands fading in and out
// all the time; beside it the bare filter work of the same frames (15 band
// sections per channel and the low-pass, plain block calls) as the baseline.
// Last, a block in which the stereo flag turns on (the 15 right filters take
// the left ones' settings) against one in which it stays on.

#include "lib/dsp/Filter2p.h"
#include "lib/mppi/NormalizedParamInterface.h"
#include "plugin/dsp/BrevantDsp.h"

#include "../tests/support/FakeHostDsp.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <random>
#include <vector>

namespace {

constexpr float sample_freq = 44100;
constexpr long input_len = 4096;
constexpr int nbr_bands = 15;
// Band count switches every this many samples while every band fades (less
// than the 640 samples of a full fade, so no band settles).
constexpr long fade_period = 512;
constexpr double warm_up_s = 0.05;

enum Index
{
    CUTOFF,
    RESO,
    NBR_BAND,
    GAIN,
    ROUTING,
    SPACING,
    EVOLUTION,
    TONE
};

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

void report(benchmark::State& state, long frames_per_iteration)
{
    const auto frames = double(state.iterations()) * double(frames_per_iteration);
    state.SetItemsProcessed(state.iterations() * frames_per_iteration);
    // Seconds per stereo frame, printed with an SI prefix (n for nanoseconds).
    state.counters["time/frame"] =
        benchmark::Counter(frames, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

// Blocks of state.range(0) frames through `process`, over a looping input.
template <typename Process>
void run_blocks(benchmark::State& state, Process process)
{
    const long block = state.range(0);
    const std::vector<float> in[2] = {make_input(1), make_input(2)};
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

// Baseline: the filters alone, one low-pass and 15 band-passes per channel.
void bm_bare_filters(benchmark::State& state)
{
    std::vector<dsp::Filter2p> filters(2 * (nbr_bands + 1));
    for (std::size_t k = 0; k < filters.size(); ++k) {
        dsp::Filter2p& f = filters[k];
        const bool lpf = k % (nbr_bands + 1) == 0;
        f._type = lpf ? dsp::Filter2p::TYPE_LOWPASS : dsp::Filter2p::TYPE_BANDPASS;
        f._freq = 300.0f * float(k % (nbr_bands + 1) + (lpf ? 1 : 0));
        f._q = float(k % (nbr_bands + 1) + 1);
        f.update_eq();
    }
    run_blocks(state, [&](float** o, const float** i, long n, long) {
        for (std::size_t k = 0; k < filters.size(); ++k) {
            const int chn = k <= std::size_t(nbr_bands) ? 0 : 1;
            if (k % (nbr_bands + 1) == 0) {
                filters[k].process_block(o[chn], i[chn], n);
            } else {
                filters[k].process_block_mix(o[chn], i[chn], n);
            }
        }
    });
}

void bm_effect_stereo(benchmark::State& state)
{
    Effect fx(true);
    run_blocks(state, [&](float** o, const float** i, long n, long) {
        (void)fx.dsp.do_process_replacing(o, i, n, false);
    });
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

BENCHMARK(bm_bare_filters)->ArgName("block")->Arg(64)->Arg(1)->MinWarmUpTime(warm_up_s);
BENCHMARK(bm_effect_stereo)->ArgName("block")->Arg(64)->Arg(1)->MinWarmUpTime(warm_up_s);
BENCHMARK(bm_effect_mono)->ArgName("block")->Arg(64)->Arg(1)->MinWarmUpTime(warm_up_s);
BENCHMARK(bm_effect_fading)->ArgName("block")->Arg(64)->Arg(1)->MinWarmUpTime(warm_up_s);
BENCHMARK(bm_stereo_flag)->ArgName("switch_on")->Arg(0)->Arg(1)->MinWarmUpTime(warm_up_s);

} // namespace
