// A typical log line (two integers, one float, one text) formatted into a
// fixed 1024-character buffer by the message formatter, beside the C library's
// snprintf with an equivalent format. Read the figures as a ratio.
#include "lib/tnw/txt/out/PrintNa.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <random>
#include <vector>

namespace {

constexpr long BUF_LEN = 1024;
constexpr int NBR_LINES = 1024; // distinct inputs, cycled through
constexpr unsigned SEED = 20240611;

struct Line
{
    int block;
    long nbr_samples;
    double gain_db;
    const char* source_0;
};

const std::vector<Line>& lines()
{
    static const std::vector<Line> list = [] {
        static const char* const SOURCES[] = {"host automation", "MIDI CC 74", "editor",
                                              "program change"};
        std::mt19937 rng(SEED);
        std::uniform_int_distribution<int> block(0, 1'000'000);
        std::uniform_int_distribution<long> samples(1, 4096);
        std::uniform_real_distribution<double> gain(-60.0, 12.0);
        std::vector<Line> out;
        for (int i = 0; i < NBR_LINES; ++i) {
            out.push_back({block(rng), samples(rng), gain(rng), SOURCES[i % 4]});
        }
        return out;
    }();
    return list;
}

// Formats one line per iteration into `buf`, cycling through the fixed-seed
// list.
template <typename FormatLine>
void run_lines(benchmark::State& state, char* buf, FormatLine format_line)
{
    const auto& list = lines();
    std::size_t i = 0;
    for (auto _ : state) {
        format_line(list[i]);
        benchmark::DoNotOptimize(buf);
        i = (i + 1) % list.size();
    }
}

void bm_print_na(benchmark::State& state)
{
    char buf[BUF_LEN];
    tnw::txt::out::PrintNa p(buf, BUF_LEN - 1);
    run_lines(state, buf, [&p](const Line& l) {
        p.print("Block %1% (%2% samples): gain %3% dB from %4%")
            .arg(l.block)
            .arg(l.nbr_samples)
            .arg(l.gain_db)
            .arg(l.source_0);
    });
}
BENCHMARK(bm_print_na);

// Baseline: six decimals for the float, as the formatter's default shows
// (the formatter drops trailing zeros, which random gains rarely have).
void bm_snprintf(benchmark::State& state)
{
    char buf[BUF_LEN];
    run_lines(state, buf, [&buf](const Line& l) {
        benchmark::DoNotOptimize(std::snprintf(buf, BUF_LEN,
                                               "Block %d (%ld samples): gain %.6f dB from %s",
                                               l.block, l.nbr_samples, l.gain_db, l.source_0));
    });
}
BENCHMARK(bm_snprintf);

// The integer and text part alone, to show where the time goes.
void bm_print_na_no_float(benchmark::State& state)
{
    char buf[BUF_LEN];
    tnw::txt::out::PrintNa p(buf, BUF_LEN - 1);
    run_lines(state, buf, [&p](const Line& l) {
        p.print("Block %1% (%2% samples) from %3%").arg(l.block).arg(l.nbr_samples).arg(l.source_0);
    });
}
BENCHMARK(bm_print_na_no_float);

void bm_snprintf_no_float(benchmark::State& state)
{
    char buf[BUF_LEN];
    run_lines(state, buf, [&buf](const Line& l) {
        benchmark::DoNotOptimize(std::snprintf(buf, BUF_LEN, "Block %d (%ld samples) from %s",
                                               l.block, l.nbr_samples, l.source_0));
    });
}
BENCHMARK(bm_snprintf_no_float);

} // namespace
