// What the audio thread pays for each incoming MIDI controller: the MIDI
// manager's look-up (learn off) in its lock-free controller map, with 8 and
// with 1000 bindings. Beside it, the same look-up and value conversion in a
// std::map, as an ordered map without any sharing between threads gives it.

#include "lib/mppi/MidiMgr.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <map>
#include <random>
#include <vector>

namespace {

constexpr std::uint32_t SEED = 2024;
// Controllers per timed pass, drawn from the bound ones.
constexpr int BLOCK = 256;

struct Setup
{
    std::vector<long> bound_ids;
    std::vector<long> incoming;
};

// `nbr` distinct NRPN ids bound to parameters 0..nbr-1, and a block of
// incoming controllers taken among them.
Setup make_setup(int nbr)
{
    std::mt19937 rng(SEED);
    std::vector<bool> used(16384, false);
    Setup setup;
    while (int(setup.bound_ids.size()) < nbr) {
        const int number = int(rng() % 16384);
        if (!used[size_t(number)]) {
            used[size_t(number)] = true;
            setup.bound_ids.push_back(mppi::MidiMgr::encode_ctrl_id(99, number));
        }
    }
    for (int i = 0; i < BLOCK; ++i) {
        setup.incoming.push_back(setup.bound_ids[rng() % setup.bound_ids.size()]);
    }
    return setup;
}

void set_rate(benchmark::State& state)
{
    state.SetItemsProcessed(state.iterations() * BLOCK);
    // Seconds per controller.
    state.counters["per_ctrl"] =
        benchmark::Counter(double(state.iterations()) * BLOCK,
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void bm_autobind_cc_2_param(benchmark::State& state)
{
    const Setup setup = make_setup(int(state.range(0)));
    mppi::MidiMgr mgr;
    for (size_t i = 0; i < setup.bound_ids.size(); ++i) {
        if (mgr.associate_param(int(i), setup.bound_ids[i]) != 0) {
            state.SkipWithError("binding refused");
            return;
        }
    }
    for (auto _ : state) {
        for (int i = 0; i < BLOCK; ++i) {
            int param = 0;
            float value = 0.0f;
            mgr.autobind_cc_2_param(setup.incoming[size_t(i)], i * 64, param, value);
            benchmark::DoNotOptimize(param);
            benchmark::DoNotOptimize(value);
        }
    }
    set_rate(state);
}
BENCHMARK(bm_autobind_cc_2_param)->Arg(8)->Arg(1000);

void bm_naive_std_map(benchmark::State& state)
{
    const Setup setup = make_setup(int(state.range(0)));
    std::map<long, int> map;
    for (size_t i = 0; i < setup.bound_ids.size(); ++i) {
        map[setup.bound_ids[i]] = int(i);
    }
    for (auto _ : state) {
        for (int i = 0; i < BLOCK; ++i) {
            const auto it = map.find(setup.incoming[size_t(i)]);
            int param = -1;
            float value = -1.0f;
            if (it != map.end()) {
                param = it->second;
                value = float(double(i * 64) * (1.0 / 16383));
            }
            benchmark::DoNotOptimize(param);
            benchmark::DoNotOptimize(value);
        }
    }
    set_rate(state);
}
BENCHMARK(bm_naive_std_map)->Arg(8)->Arg(1000);

} // namespace
