// The three calls made once per parameter change, also on the audio thread:
// the write arbitration, the time stamp it is asked with, and the host-order
// map. Each stands beside a naive baseline: plain fields without index check,
// the standard steady clock, and a plain vector look-up.

#include "lib/mppi/ParamPriorityList.h"
#include "lib/mppi/ParamReorder.h"
#include "lib/sys/TimeStamp.h"
// The test double effect is shared with the tests.
#include "../tests/support/NamedParamDsp.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <random>
#include <vector>

namespace {

constexpr int NBR_PARAM = 8;
constexpr int NBR_REQUESTS = 1024;
constexpr unsigned SEED = 20240611;

struct Request
{
    int index;
    int prio;
};

// Random indices and priorities among the system's writers (host 100, MIDI
// 125, program 200).
std::vector<Request> make_requests()
{
    std::mt19937 rng(SEED);
    std::uniform_int_distribution<int> index(0, NBR_PARAM - 1);
    std::uniform_int_distribution<int> writer(0, 2);
    constexpr int PRIOS[] = {100, 125, 200};
    std::vector<Request> requests(NBR_REQUESTS);
    for (Request& r : requests) {
        r = {index(rng), PRIOS[writer(rng)]};
    }
    return requests;
}

// The arbitration with plain fields and no index check.
struct NaivePriority
{
    double last = 0.0;
    double ttl = 0.5;
    int owner = 0;

    bool get(double now, int prio)
    {
        if (prio < owner && now <= last + ttl) {
            return false;
        }
        last = now;
        owner = prio;
        return true;
    }
};

// Runs the fixed request sequence through get(index, now, prio), one request
// per iteration, the clock advancing 1 ms each time.
template <typename Get>
void run_requests(benchmark::State& state, Get get)
{
    const std::vector<Request> requests = make_requests();
    double now = 1.0;
    size_t i = 0;
    for (auto _ : state) {
        const Request& r = requests[i];
        i = (i + 1) % NBR_REQUESTS;
        now += 1e-3;
        benchmark::DoNotOptimize(get(r.index, now, r.prio));
        benchmark::ClobberMemory();
    }
}

void bm_param_priority_list_get(benchmark::State& state)
{
    mppi::ParamPriorityList list;
    list.set_nbr_param(NBR_PARAM);
    run_requests(state, [&list](int index, double now, int prio) {
        return list.get(index, now, prio);
    });
}
BENCHMARK(bm_param_priority_list_get);

void bm_naive_priority_get(benchmark::State& state)
{
    std::vector<NaivePriority> list(NBR_PARAM);
    run_requests(state, [&list](int index, double now, int prio) {
        return list[size_t(index)].get(now, prio);
    });
}
BENCHMARK(bm_naive_priority_get);

void bm_sys_get_time_stamp(benchmark::State& state)
{
    for (auto _ : state) {
        benchmark::DoNotOptimize(sys::get_time_stamp());
    }
}
BENCHMARK(bm_sys_get_time_stamp);

void bm_steady_clock_now(benchmark::State& state)
{
    for (auto _ : state) {
        benchmark::DoNotOptimize(std::chrono::steady_clock::now());
    }
}
BENCHMARK(bm_steady_clock_now);

std::vector<int> make_host_indices()
{
    std::mt19937 rng(SEED);
    // A few indices outside the map, as a host may send.
    std::uniform_int_distribution<int> index(-1, NBR_PARAM);
    std::vector<int> indices(NBR_REQUESTS);
    std::generate(indices.begin(), indices.end(), [&] { return index(rng); });
    return indices;
}

void bm_map_wrap_2_nat(benchmark::State& state)
{
    const std::vector<int> indices = make_host_indices();
    const test_support::NamedParamDsp dsp{"A", "B", "C", "D", "E", "F", "G", "H"};
    mppi::ParamReorder reorder;
    reorder.init(dsp);
    size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(reorder.map_wrap_2_nat(indices[i]));
        i = (i + 1) % NBR_REQUESTS;
    }
}
BENCHMARK(bm_map_wrap_2_nat);

void bm_naive_vector_map(benchmark::State& state)
{
    const std::vector<int> indices = make_host_indices();
    std::vector<int> map(NBR_PARAM);
    for (int p = 0; p < NBR_PARAM; ++p) {
        map[size_t(p)] = p;
    }
    size_t i = 0;
    for (auto _ : state) {
        const int w = indices[i];
        benchmark::DoNotOptimize(w >= 0 && w < NBR_PARAM ? map[size_t(w)] : w);
        i = (i + 1) % NBR_REQUESTS;
    }
}
BENCHMARK(bm_naive_vector_map);

} // namespace
