#include "lib/tnw/sys/posix/SignalHold.h"

#include <gtest/gtest.h>

#include <csignal>
#include <pthread.h>

namespace {

extern "C" void take_signal(int /*signal_nbr*/) {}

// Whatever the thread blocked before: while held, the ending signals sent to the thread
// wait; once released (by release() or by the destructor) the mask is the one from before,
// and only the signals the hold itself blocked have acted (a handler stands in for ending
// the process), so a host's own mask is never undone.
TEST(SignalHold, HoldsEndingSignalsAndGivesBackTheMaskItFound)
{
    const int ending[] = {SIGINT, SIGTERM, SIGHUP};
    struct sigaction handler = {};
    handler.sa_handler = take_signal;
    struct sigaction previous[3];
    for (int k = 0; k < 3; ++k) {
        ASSERT_EQ(sigaction(ending[k], &handler, &previous[k]), 0);
    }
    sigset_t thread_mask;
    ASSERT_EQ(pthread_sigmask(SIG_BLOCK, nullptr, &thread_mask), 0);
    // Which of the three the thread blocks before: none, SIGTERM, all.
    for (const unsigned blocked_before : {0u, 2u, 7u}) {
        for (const bool by_destructor : {false, true}) {
            sigset_t before = thread_mask;
            for (int k = 0; k < 3; ++k) {
                static_cast<void>(((blocked_before >> k) & 1) != 0 ? sigaddset(&before, ending[k])
                                                                   : sigdelset(&before, ending[k]));
            }
            ASSERT_EQ(pthread_sigmask(SIG_SETMASK, &before, nullptr), 0);
            sigset_t mask;
            sigset_t pending;
            {
                tnw::sys::posix::SignalHold hold;
                hold.hold();
                for (const int signal_nbr : ending) {
                    ASSERT_EQ(pthread_kill(pthread_self(), signal_nbr), 0);
                }
                pthread_sigmask(SIG_BLOCK, nullptr, &mask);
                sigpending(&pending);
                for (const int signal_nbr : ending) {
                    EXPECT_TRUE(sigismember(&mask, signal_nbr) && sigismember(&pending, signal_nbr))
                        << blocked_before << ' ' << signal_nbr;
                }
                if (!by_destructor) {
                    hold.release();
                }
            }
            pthread_sigmask(SIG_BLOCK, nullptr, &mask);
            sigpending(&pending);
            for (int k = 0; k < 3; ++k) {
                const bool was_blocked = ((blocked_before >> k) & 1) != 0;
                EXPECT_EQ(sigismember(&mask, ending[k]) == 1, was_blocked) << blocked_before << k;
                EXPECT_EQ(sigismember(&pending, ending[k]) == 1, was_blocked)
                    << blocked_before << k;
            }
            // Signals the thread blocked itself are taken here, by the handler.
            ASSERT_EQ(pthread_sigmask(SIG_SETMASK, &thread_mask, nullptr), 0);
        }
    }
    for (int k = 0; k < 3; ++k) {
        sigaction(ending[k], &previous[k], nullptr);
    }
}

} // namespace
