#pragma once

#include <chrono>
#include <future>
#include <optional>
#include <thread>

namespace test_support {

// How long a test waits for a call that may never return. A hang guard, not a speed check:
// far beyond what any call that does not hang takes, also under a sanitizer on a small,
// busy machine.
constexpr auto HANG_GUARD = std::chrono::seconds(60);

// Runs job on a thread of its own and gives its result, or nothing when it has not returned
// within HANG_GUARD, so that a call that never returns fails its test instead of hanging
// it. A job that overran is left running, so it must own what it uses (capture by value).
template <typename Job>
auto run_with_hang_guard(Job job) -> std::optional<decltype(job())>
{
    std::packaged_task<decltype(job())()> task(std::move(job));
    auto result = task.get_future();
    std::thread(std::move(task)).detach();
    if (result.wait_for(HANG_GUARD) != std::future_status::ready) {
        return std::nullopt;
    }
    return result.get();
}

} // namespace test_support
