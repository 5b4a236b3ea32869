#include "lib/tnw/sys/Interlocked.h"

namespace tnw::sys {

void Interlocked::exchange_int128(Data128& old, Data128 volatile& dest,
                                  const Data128& excg) noexcept
{
    // A failed attempt leaves the current content of dest in the guess, so
    // the next attempt starts from a fresh reading.
    Data128 guess{0, 0};
    while (!posix::atomic_compare_exchange_128(dest, guess, excg)) {
    }
    old = guess;
}

void Interlocked::compare_exchange_int128(Data128& old, Data128 volatile& dest, const Data128& excg,
                                          const Data128& comparand) noexcept
{
    Data128 expected = comparand;
    // On success expected still holds the comparand, which is what dest held;
    // on failure it holds the content of dest.
    (void)posix::atomic_compare_exchange_128(dest, expected, excg);
    old = expected;
}

} // namespace tnw::sys
