// The log file writer's two paths, a cached line and a directly written one
// (each from 1 and from 8 threads sharing the writer), and a whole debug
// record in util mode beside snprintf of the same text. Read items_per_second
// for the total rate of all threads together.
//
// A writer takes at most 1,000,000 lines, so every run gets a fresh writer and
// a fixed iteration count that stays below that.
#include "lib/tnw/sys/Mutex.h"
#include "lib/tnw/tdbg/LogMgr.h"
#include "lib/tnw/util/LogMgr.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr int NBR_MSGS = 64; // distinct messages, cycled through
constexpr unsigned SEED = 20240611;
constexpr long ITERATIONS = 100'000; // per thread: 8 threads stay below the limit
constexpr long RECORD_LEN = tnw::tdbg::LogMgr::RECORD_LEN;
constexpr const char* FILE_TXT = "/src/lib/mppi/BankManager.cpp, Jun 11 2024";
constexpr const char* FUNCTION_TXT = "int mppi::BankManager::read_from_memory(const void *, long)";
constexpr long LINE_NBR = 214;

const std::vector<std::string>& messages()
{
    static const std::vector<std::string> list = [] {
        std::mt19937 rng(SEED);
        std::uniform_int_distribution<int> program(0, 127);
        std::uniform_int_distribution<long> size(16, 65536);
        std::vector<std::string> out;
        for (int i = 0; i < NBR_MSGS; ++i) {
            out.push_back("Program " + std::to_string(program(rng)) +
                          " read: " + std::to_string(size(rng)) + " bytes");
        }
        return out;
    }();
    return list;
}

std::string log_path(const char* name)
{
    return (std::filesystem::temp_directory_path() / name).string();
}

// One writer per run, with its own file.
std::unique_ptr<tnw::sys::Mutex> run_mutex;
std::unique_ptr<tnw::util::LogMgr> run_writer;

void open_run_writer(const benchmark::State&)
{
    run_mutex = std::make_unique<tnw::sys::Mutex>();
    run_writer = std::make_unique<tnw::util::LogMgr>(*run_mutex);
    (void)run_writer->open_file(log_path("morvanel_log_bench_writer.txt").c_str());
}

void close_run_writer(const benchmark::State&)
{
    run_writer.reset();
    run_mutex.reset();
    std::filesystem::remove(log_path("morvanel_log_bench_writer.txt"));
}

template <typename WriteLine>
void run_lines(benchmark::State& state, WriteLine write_line)
{
    const auto& list = messages();
    std::size_t i = static_cast<std::size_t>(state.thread_index());
    for (auto _ : state) {
        write_line(list[i].c_str());
        i = (i + 1) % list.size();
    }
    state.SetItemsProcessed(state.iterations());
}

void bm_cached_line(benchmark::State& state)
{
    run_lines(state, [](const char* msg) {
        run_writer->write_cache(msg, "mppi::BankManager::read_from_memory()", LINE_NBR);
    });
}

void bm_direct_line(benchmark::State& state)
{
    run_lines(state, [](const char* msg) {
        run_writer->write(msg, "mppi::BankManager::read_from_memory()", LINE_NBR);
    });
}

// Both line benchmarks run on a fresh file, from 1 and from 8 threads.
const bool line_benchmarks_registered = [] {
    for (auto* bench : {benchmark::RegisterBenchmark("bm_cached_line", bm_cached_line),
                        benchmark::RegisterBenchmark("bm_direct_line", bm_direct_line)}) {
        bench->Setup(open_run_writer)
            ->Teardown(close_run_writer)
            ->Iterations(ITERATIONS)
            ->Threads(1)
            ->Threads(8)
            ->UseRealTime();
    }
    return true;
}();

// The debug log writes to the process-wide writer, whose limit holds for the
// whole program: these runs share what is left of it.
void open_process_log(const benchmark::State&)
{
    tnw::tdbg::LogMgr::create_as_util(tnw::tdbg::LogMgr::Config());
    (void)tnw::util::LogMgr::use_instance().open_file(
        log_path("morvanel_log_bench_process.txt").c_str());
}

void close_process_log(const benchmark::State&)
{
    (void)tnw::util::LogMgr::use_instance().close_file();
    std::filesystem::remove(log_path("morvanel_log_bench_process.txt"));
}

// Formatting with the default config, then caching the line.
void bm_debug_record_util(benchmark::State& state)
{
    tnw::tdbg::LogMgr& mgr = tnw::tdbg::LogMgr::use_instance();
    run_lines(state, [&mgr](const char* msg) {
        mgr.write_cache(tnw::tdbg::Debugger::ERROR, msg, FILE_TXT, FUNCTION_TXT, LINE_NBR);
    });
}
BENCHMARK(bm_debug_record_util)
    ->Setup(open_process_log)
    ->Teardown(close_process_log)
    ->Iterations(2 * ITERATIONS);

// Baseline: the same record text by the C library, into the same buffer size.
void bm_snprintf_record(benchmark::State& state)
{
    char text[RECORD_LEN + 1];
    run_lines(state, [&text](const char* msg) {
        benchmark::DoNotOptimize(std::snprintf(text, sizeof text, "%s\t%s\t%s\t%s\t%s\t%ld\t",
                                               "main", "ERROR", msg, FILE_TXT, FUNCTION_TXT,
                                               LINE_NBR));
        benchmark::ClobberMemory();
    });
}
BENCHMARK(bm_snprintf_record)->Iterations(2 * ITERATIONS);

} // namespace
