// Shortest digits of doubles: the multi-precision digit generator beside std::to_chars (shortest
// form), on the same fixed-seed random doubles. The combined case times both over the whole set
// and reports the ratio.

#include "lib/tnw/math/FloatMultiPrecPrint.h"

#include <benchmark/benchmark.h>

#include <bit>
#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

namespace {

constexpr std::size_t NBR_VALUES = 1'000'000;
constexpr std::uint64_t SEED = 20240611;
constexpr int BUF_LEN = 64;

// Finite non-zero doubles from uniformly random bit patterns (every exponent equally likely).
const std::vector<double>& values()
{
    static const std::vector<double> set = [] {
        std::mt19937_64 rng(SEED);
        std::vector<double> out;
        out.reserve(NBR_VALUES);
        while (out.size() < NBR_VALUES) {
            const double d = std::bit_cast<double>(rng());
            if (std::isfinite(d) && d != 0.0) {
                out.push_back(d);
            }
        }
        return out;
    }();
    return set;
}

// All digits of |v| into buf (no sign, point or exponent); returns the digit count.
int generate_digits(tnw::math::FloatMultiPrecPrint<4>& gen, double v, char* buf)
{
    gen.set_dbl(v, 10);
    gen.start();
    int n = 0;
    for (;;) {
        buf[n++] = static_cast<char>('0' + gen.get_cur_digit());
        if (gen.is_last() || n == BUF_LEN) {
            return n;
        }
        gen.iterate_internal();
    }
}

double time_to_chars(long& chars)
{
    char buf[BUF_LEN];
    const auto t0 = std::chrono::steady_clock::now();
    for (const double v : values()) {
        const auto res = std::to_chars(buf, buf + BUF_LEN, v);
        chars += res.ptr - buf;
    }
    benchmark::DoNotOptimize(buf);
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

double time_generator(long& chars)
{
    char buf[BUF_LEN];
    tnw::math::FloatMultiPrecPrint<4> gen;
    const auto t0 = std::chrono::steady_clock::now();
    for (const double v : values()) {
        chars += generate_digits(gen, v, buf);
    }
    benchmark::DoNotOptimize(buf);
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

void bm_to_chars_shortest(benchmark::State& state)
{
    (void)values();
    for (auto _ : state) {
        long chars = 0;
        (void)time_to_chars(chars);
        benchmark::DoNotOptimize(chars);
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * NBR_VALUES));
}
BENCHMARK(bm_to_chars_shortest)->Unit(benchmark::kMillisecond);

// One pass of each over the million values; counters in nanoseconds per value.
void bm_digit_generator_vs_to_chars(benchmark::State& state)
{
    (void)values();
    double gen_s = 0.0;
    double ref_s = 0.0;
    for (auto _ : state) {
        long chars = 0;
        ref_s += time_to_chars(chars);
        const double gen_pass = time_generator(chars);
        gen_s += gen_pass;
        benchmark::DoNotOptimize(chars);
        state.SetIterationTime(gen_pass);
    }
    const double per = 1e9 / (static_cast<double>(state.iterations()) * NBR_VALUES);
    state.counters["to_chars_ns"] = ref_s * per;
    state.counters["generator_ns"] = gen_s * per;
    state.counters["ratio"] = gen_s / ref_s;
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * NBR_VALUES));
}
BENCHMARK(bm_digit_generator_vs_to_chars)
    ->UseManualTime()
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

} // namespace
