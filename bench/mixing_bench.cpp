// Stereo copy with a gain ramp and stereo mix with a fixed gain, in bytes per
// second beside a plain memcpy of the same two channels. Bytes counted are
// the input bytes of a call: 2 channels x block x 4.

#include "lib/dsp/BasicMixing.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <random>
#include <vector>

namespace {

// The effect's chunk size, and a larger host block.
constexpr long small_block = 64;
constexpr long large_block = 1024;

struct Stereo
{
    std::vector<float> in_1, in_2, out_1, out_2;

    explicit Stereo(long n)
        : in_1(std::size_t(n)), in_2(std::size_t(n)), out_1(std::size_t(n)), out_2(std::size_t(n))
    {
        std::mt19937 gen(12345);
        std::uniform_real_distribution<float> dist(-1, 1);
        for (auto* v : {&in_1, &in_2, &out_1, &out_2}) {
            for (float& s : *v) {
                s = dist(gen);
            }
        }
    }
};

template <typename Process>
void run(benchmark::State& state, Process process)
{
    const long n = state.range(0);
    Stereo s(n);
    for (auto _ : state) {
        process(s, n);
        benchmark::ClobberMemory();
    }
    benchmark::DoNotOptimize(s.out_1.data());
    state.SetBytesProcessed(state.iterations() * 2 * n * long(sizeof(float)));
}

void bm_memcpy(benchmark::State& state)
{
    run(state, [](Stereo& s, long n) {
        std::memcpy(s.out_1.data(), s.in_1.data(), std::size_t(n) * sizeof(float));
        std::memcpy(s.out_2.data(), s.in_2.data(), std::size_t(n) * sizeof(float));
    });
}

void bm_copy_2_2_vlr(benchmark::State& state)
{
    run(state, [](Stereo& s, long n) {
        dsp::BasicMixing::copy_2_2_vlr(s.out_1.data(), s.out_2.data(), s.in_1.data(), s.in_2.data(),
                                       n, 0.25f, 0.75f);
    });
}

void bm_mix_2_2_v(benchmark::State& state)
{
    // A gain of 1e-3 keeps the accumulated outputs far from overflow.
    run(state, [](Stereo& s, long n) {
        dsp::BasicMixing::mix_2_2_v(s.out_1.data(), s.out_2.data(), s.in_1.data(), s.in_2.data(), n,
                                    1e-3f);
    });
}

BENCHMARK(bm_memcpy)->Arg(small_block)->Arg(large_block);
BENCHMARK(bm_copy_2_2_vlr)->Arg(small_block)->Arg(large_block);
BENCHMARK(bm_mix_2_2_v)->Arg(small_block)->Arg(large_block);

} // namespace
