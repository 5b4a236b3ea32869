#include "host/offline/posix/SignalCleanup.h"

#include <atomic>
#include <climits>
#include <csignal>
#include <cstddef>
#include <cstring>
#include <unistd.h>

namespace host::offline::posix {

namespace {

constexpr int CLEANED_SIGNALS[] = {SIGINT, SIGTERM, SIGHUP};

// The file to remove, where a signal handler may read it. A new path goes to
// the buffer that is not published, then is published: the published path
// never changes. Release and acquire order the path's bytes before the
// pointer, for a handler on any thread; the pointer is lock free, so a handler
// may read it.
char kept_paths[2][PATH_MAX] = {};
int next_buffer = 0;
std::atomic<const char*> kept_path{nullptr};
static_assert(std::atomic<const char*>::is_always_lock_free);

extern "C" void end_by_signal(int signal_nbr)
{
    if (const char* path = kept_path.load(std::memory_order_acquire); path != nullptr) {
        static_cast<void>(::unlink(path));
    }
    // The action is back to the default (SA_RESETHAND) and the signal blocked
    // until the handler returns: raised again, it then ends the process.
    static_cast<void>(::raise(signal_nbr));
}

} // namespace

void install_signal_cleanup()
{
    struct sigaction action
    {
    };
    action.sa_handler = end_by_signal;
    action.sa_flags = SA_RESETHAND;
    static_cast<void>(::sigemptyset(&action.sa_mask));
    for (const int signal_nbr : CLEANED_SIGNALS) {
        static_cast<void>(::sigaddset(&action.sa_mask, signal_nbr));
    }
    for (const int signal_nbr : CLEANED_SIGNALS) {
        struct sigaction old
        {
        };
        if (::sigaction(signal_nbr, nullptr, &old) == 0 && old.sa_handler != SIG_IGN) {
            static_cast<void>(::sigaction(signal_nbr, &action, nullptr));
        }
    }
    struct sigaction ignore
    {
    };
    ignore.sa_handler = SIG_IGN;
    static_cast<void>(::sigaction(SIGXFSZ, &ignore, nullptr));
}

void remove_on_signal(const char* path_0) noexcept
{
    const std::size_t size = path_0 == nullptr ? 0 : std::strlen(path_0) + 1;
    // A longer path names no file the system made.
    if (size == 0 || size > PATH_MAX) {
        kept_path.store(nullptr, std::memory_order_release);
        return;
    }
    char* buffer = kept_paths[next_buffer];
    next_buffer ^= 1;
    std::memcpy(buffer, path_0, size);
    kept_path.store(buffer, std::memory_order_release);
}

} // namespace host::offline::posix
