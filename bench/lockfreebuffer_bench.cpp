// Reader side of the bank hand-over when nothing is pending: what the audio
// thread pays at the start of every block. Beside it, two naive hand-overs:
// one atomic "new data" flag (the least any hand-over can cost) and a
// mutex-guarded flag (a locked hand-over).

#include "lib/basic/LockFreeBuffer.h"

#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdint>
#include <mutex>
#include <random>
#include <vector>

namespace {

// Stand-in for a bank: 128 programs of 8 normalised values.
constexpr std::size_t NBR_VALUES = 128 * 8;
constexpr std::uint32_t SEED = 12345;

std::vector<float> make_bank()
{
    std::mt19937 rng(SEED);
    std::uniform_real_distribution<float> dist(0.0F, 1.0F);
    std::vector<float> bank(NBR_VALUES);
    for (auto& value : bank) {
        value = dist(rng);
    }
    return bank;
}

void bm_lock_free_buffer_nothing_pending(benchmark::State& state)
{
    basic::LockFreeBuffer<std::vector<float>> buf;
    buf.fill(make_bank());
    // Take the initial value so that nothing is pending.
    if (buf.has_new_data()) {
        buf.end_read();
    }
    for (auto _ : state) {
        if (buf.has_new_data()) {
            benchmark::DoNotOptimize(buf.use_read_buffer().data());
            buf.end_read();
        }
        benchmark::ClobberMemory();
    }
}
BENCHMARK(bm_lock_free_buffer_nothing_pending);

void bm_naive_atomic_flag(benchmark::State& state)
{
    std::atomic<bool> new_data{false};
    const std::vector<float> bank = make_bank();
    for (auto _ : state) {
        if (new_data.load()) {
            benchmark::DoNotOptimize(bank.data());
            new_data.store(false);
        }
        benchmark::ClobberMemory();
    }
}
BENCHMARK(bm_naive_atomic_flag);

void bm_naive_mutex_flag(benchmark::State& state)
{
    std::mutex mutex;
    bool new_data = false;
    const std::vector<float> bank = make_bank();
    for (auto _ : state) {
        const std::lock_guard<std::mutex> lock(mutex);
        if (new_data) {
            benchmark::DoNotOptimize(bank.data());
            new_data = false;
        }
        benchmark::ClobberMemory();
    }
}
BENCHMARK(bm_naive_mutex_flag);

} // namespace
