// Biquad block processing against a plain direct-form-I loop with the same
// coefficients, in ns per sample, on ordinary and on denormal input.

#include "lib/dsp/Filter2p.h"

#include <benchmark/benchmark.h>

#include <random>
#include <vector>

namespace {

// The effect processes chunks of at most 64 samples.
constexpr long block_len = 64;
constexpr long nbr_blocks = 64;
constexpr long input_len = block_len * nbr_blocks;

// Scale of the denormal case: the whole input, and with it the low-pass
// memory, lies below the smallest normal float (1.18e-38).
constexpr float denormal_scale = 1e-39f;

std::vector<float> make_input(bool denormal)
{
    std::mt19937 gen(12345);
    std::uniform_real_distribution<float> dist(-1, 1);
    std::vector<float> v(input_len);
    for (float& s : v) {
        s = dist(gen) * (denormal ? denormal_scale : 1.0f);
    }
    return v;
}

// The effect's default resonant low-pass: 1000 Hz, resonance 1, 44100 Hz.
dsp::Filter2p make_filter()
{
    dsp::Filter2p f;
    f._type = dsp::Filter2p::TYPE_LOWPASS;
    f._freq = 1000;
    f._gain = 1;
    f.update_eq();
    return f;
}

// Baseline: the textbook loop with shifted memory. Coefficients and memory
// are held in locals for the block, as a careful plain loop would and as the
// library routine does: read through this, every store to out could alias a
// coefficient and force a reload per sample, a handicap the library does not
// carry. Kept out of line and out of interprocedural constant propagation, so
// that it is called per block with an unknown count like the library routine.
struct NaiveDf1
{
    float b0, b1, b2, a1, a2;
    float x1 = 0, x2 = 0, y1 = 0, y2 = 0;

    [[gnu::noipa]] void process(float* out, const float* in, long n) noexcept
    {
        const float lb0 = b0, lb1 = b1, lb2 = b2, la1 = a1, la2 = a2;
        float lx1 = x1, lx2 = x2, ly1 = y1, ly2 = y2;
        for (long i = 0; i < n; ++i) {
            const float x = in[i];
            const float y = lb0 * x + lb1 * lx1 + lb2 * lx2 - (la1 * ly1 + la2 * ly2);
            lx2 = lx1;
            lx1 = x;
            ly2 = ly1;
            ly1 = y;
            out[i] = y;
        }
        x1 = lx1;
        x2 = lx2;
        y1 = ly1;
        y2 = ly2;
    }
};

void report(benchmark::State& state)
{
    const auto spl = double(state.iterations()) * double(block_len);
    state.SetItemsProcessed(state.iterations() * block_len);
    // Seconds per sample, printed with an SI prefix (n for nanoseconds).
    state.counters["time/spl"] =
        benchmark::Counter(spl, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

template <typename Process>
void run_blocks(benchmark::State& state, Process process)
{
    const std::vector<float> in = make_input(state.range(0) != 0);
    std::vector<float> out(input_len);
    long pos = 0;
    for (auto _ : state) {
        process(out.data() + pos, in.data() + pos, block_len);
        benchmark::ClobberMemory();
        pos = (pos + block_len) % input_len;
    }
    benchmark::DoNotOptimize(out.data());
    report(state);
}

void bm_naive_df1(benchmark::State& state)
{
    const dsp::Filter2p f = make_filter();
    NaiveDf1 naive{f._b[0], f._b[1], f._b[2], f._a[1], f._a[2]};
    run_blocks(state, [&](float* o, const float* i, long n) { naive.process(o, i, n); });
}

void bm_process_block(benchmark::State& state)
{
    dsp::Filter2p f = make_filter();
    run_blocks(state, [&](float* o, const float* i, long n) { f.process_block(o, i, n); });
}

void bm_process_block_nd(benchmark::State& state)
{
    dsp::Filter2p f = make_filter();
    run_blocks(state, [&](float* o, const float* i, long n) { f.process_block_nd(o, i, n); });
}

// Every case warms up before it is timed, so that the baseline, which runs
// first, does not absorb the cold start of the process.
constexpr double warm_up_s = 0.05;

// Argument: 0 ordinary noise, 1 denormal noise.
BENCHMARK(bm_naive_df1)->ArgName("denormal")->Arg(0)->Arg(1)->MinWarmUpTime(warm_up_s);
BENCHMARK(bm_process_block)->ArgName("denormal")->Arg(0)->Arg(1)->MinWarmUpTime(warm_up_s);
BENCHMARK(bm_process_block_nd)->ArgName("denormal")->Arg(0)->Arg(1)->MinWarmUpTime(warm_up_s);

} // namespace
