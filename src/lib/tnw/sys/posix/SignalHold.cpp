#include "lib/tnw/sys/posix/SignalHold.h"

#include <csignal>
#include <cstddef>
#include <iterator>
#include <pthread.h>

namespace tnw::sys::posix {

namespace {

// The signals that ask a process to end.
constexpr int HELD_SIGNALS[] = {SIGINT, SIGTERM, SIGHUP};

} // namespace

void SignalHold::hold() noexcept
{
    if (_blocked != 0) {
        return;
    }
    sigset_t set;
    sigset_t old;
    static_cast<void>(::sigemptyset(&set));
    for (const int signal_nbr : HELD_SIGNALS) {
        static_cast<void>(::sigaddset(&set, signal_nbr));
    }
    if (::pthread_sigmask(SIG_BLOCK, &set, &old) != 0) {
        return;
    }
    for (std::size_t k = 0; k < std::size(HELD_SIGNALS); ++k) {
        if (::sigismember(&old, HELD_SIGNALS[k]) == 0) {
            _blocked |= 1u << k;
        }
    }
}

void SignalHold::release() noexcept
{
    if (_blocked == 0) {
        return;
    }
    sigset_t set;
    static_cast<void>(::sigemptyset(&set));
    for (std::size_t k = 0; k < std::size(HELD_SIGNALS); ++k) {
        if ((_blocked & (1u << k)) != 0) {
            static_cast<void>(::sigaddset(&set, HELD_SIGNALS[k]));
        }
    }
    _blocked = 0;
    // A signal that came meanwhile acts here, before this returns.
    static_cast<void>(::pthread_sigmask(SIG_UNBLOCK, &set, nullptr));
}

} // namespace tnw::sys::posix
