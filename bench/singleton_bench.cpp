// Fast path of SingletonBase::use_instance() (instance already built) beside
// the language's function-local static, the naive way to a lazy instance.

#include "lib/tnw/util/SingletonBase.h"

#include <benchmark/benchmark.h>

namespace {

class Counter : public tnw::util::SingletonBase<Counter>
{
public:
    int value = 0;

private:
    friend class tnw::util::SingletonBase<Counter>;
    Counter() = default;
};

struct LocalStaticCounter
{
    int value = 0;
};

// Kept out of line, like a use_instance() called from another file.
[[gnu::noinline]] LocalStaticCounter& use_local_static()
{
    static LocalStaticCounter instance;
    return instance;
}

void bm_singleton_use_instance(benchmark::State& state)
{
    (void)Counter::use_instance();
    for (auto _ : state) {
        Counter& instance = Counter::use_instance();
        benchmark::DoNotOptimize(&instance);
        ++instance.value;
    }
}
BENCHMARK(bm_singleton_use_instance);

void bm_function_local_static(benchmark::State& state)
{
    for (auto _ : state) {
        LocalStaticCounter& instance = use_local_static();
        benchmark::DoNotOptimize(&instance);
        ++instance.value;
    }
}
BENCHMARK(bm_function_local_static);

} // namespace
