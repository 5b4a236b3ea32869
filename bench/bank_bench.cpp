// Writing and reading the image of a bank of 128 programs (8 values each, the
// effect's shape), and loading it as a bank file in memory, beside a plain
// memcpy of the same bytes: the least any serialisation can cost.

#include "lib/mppi/BankManager.h"
#include "lib/mppi/TwbkFileOp.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr int NBR_PROG = 128;
constexpr int NBR_PARAM = 8;
constexpr std::uint32_t SEED = 12345;

mppi::BankManager make_bank()
{
    std::mt19937 rng(SEED);
    std::uniform_real_distribution<float> dist(0.0F, 1.0F);
    mppi::BankManager bank(NBR_PROG);
    for (int i = 0; i < NBR_PROG; ++i) {
        bank[i].set_name("Program " + std::to_string(i));
        bank[i].set_nbr_param(NBR_PARAM);
        for (int k = 0; k < NBR_PARAM; ++k) {
            bank[i].set_param(k, dist(rng));
        }
    }
    return bank;
}

std::vector<unsigned char> make_image(const mppi::BankManager& bank)
{
    std::vector<unsigned char> image(static_cast<std::size_t>(bank.get_object_size()));
    if (bank.write_to_memory(image.data()) != 0) {
        image.clear();
    }
    return image;
}

void set_bytes(benchmark::State& state, std::size_t size)
{
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(size));
}

void bm_bank_write(benchmark::State& state)
{
    const mppi::BankManager bank = make_bank();
    std::vector<unsigned char> image(static_cast<std::size_t>(bank.get_object_size()));
    for (auto _ : state) {
        benchmark::DoNotOptimize(bank.write_to_memory(image.data()));
        benchmark::ClobberMemory();
    }
    set_bytes(state, image.size());
}
BENCHMARK(bm_bank_write);

// Into a bank of the same shape: every program is overwritten in place.
void bm_bank_read(benchmark::State& state)
{
    const std::vector<unsigned char> image = make_image(make_bank());
    mppi::BankManager bank = make_bank();
    for (auto _ : state) {
        benchmark::DoNotOptimize(
            bank.read_from_memory(image.data(), static_cast<long>(image.size())));
        benchmark::ClobberMemory();
    }
    set_bytes(state, image.size());
}
BENCHMARK(bm_bank_read);

// The whole in-memory file load: header, a fresh bank read and checked, then
// handed over.
void bm_bank_load_mem(benchmark::State& state)
{
    const std::vector<unsigned char> image = make_image(make_bank());
    std::vector<unsigned char> file = {'T', 'W', 'B', 'K', 0, 0, 0, 0};
    file.insert(file.end(), image.begin(), image.end());
    mppi::BankManager bank = make_bank();
    for (auto _ : state) {
        benchmark::DoNotOptimize(mppi::TwbkFileOp::load_bank_mem(
            file.data(), static_cast<long>(file.size()), bank, nullptr, true));
        benchmark::ClobberMemory();
    }
    set_bytes(state, file.size());
}
BENCHMARK(bm_bank_load_mem);

void bm_memcpy_baseline(benchmark::State& state)
{
    const std::vector<unsigned char> image = make_image(make_bank());
    std::vector<unsigned char> copy(image.size());
    for (auto _ : state) {
        std::memcpy(copy.data(), image.data(), image.size());
        benchmark::ClobberMemory();
    }
    set_bytes(state, image.size());
}
BENCHMARK(bm_memcpy_baseline);

} // namespace
