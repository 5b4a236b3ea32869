#pragma once

#include "lib/tnw/sys/posix/AtomicOps.h"

namespace tnw::sys {

// Atomic exchange and compare-exchange on shared memory. Any thread; every
// operation is a full memory barrier, never blocks and takes no lock (the
// 128-bit ones are lock-free where the processor has a 16-byte
// compare-and-swap).
//
// Compare-exchange convention: the result is the comparand when dest held
// the comparand and now holds the exchange value; otherwise it is the
// exchange value. Test success as "result == comparand"; the result never
// tells the current content of dest.
class Interlocked
{
public:
    // Two 64-bit words, low word first, aligned on 16 bytes.
    using Data128 = posix::Word128;

    Interlocked() = delete;

    // Each returns the previous value of dest.
    static int exchange_int32(int volatile& dest, int excg) noexcept;
    static long long exchange_int64(long long volatile& dest, long long excg) noexcept;
    static long exchange_int64(long volatile& dest, long excg) noexcept;
    static void* exchange_ptr(void* volatile& dest, void* excg) noexcept;
    // old receives the previous value of dest, which must be 16-byte aligned.
    static void exchange_int128(Data128& old, Data128 volatile& dest, const Data128& excg) noexcept;

    [[nodiscard]] static int compare_exchange_int32(int volatile& dest, int excg,
                                                    int comparand) noexcept;
    [[nodiscard]] static long long compare_exchange_int64(long long volatile& dest, long long excg,
                                                          long long comparand) noexcept;
    [[nodiscard]] static long compare_exchange_int64(long volatile& dest, long excg,
                                                     long comparand) noexcept;
    [[nodiscard]] static void* compare_exchange_ptr(void* volatile& dest, void* excg,
                                                    void* comparand) noexcept;
    // old receives the value dest held before the attempt: equal to the
    // comparand exactly when the exchange took place. dest must be 16-byte
    // aligned.
    static void compare_exchange_int128(Data128& old, Data128 volatile& dest, const Data128& excg,
                                        const Data128& comparand) noexcept;

private:
    template <typename T>
    [[nodiscard]] static T compare_exchange(T volatile& dest, T excg, T comparand) noexcept
    {
        T expected = comparand;
        return posix::atomic_compare_exchange(dest, expected, excg) ? comparand : excg;
    }
};

inline int Interlocked::exchange_int32(int volatile& dest, int excg) noexcept
{
    return posix::atomic_exchange(dest, excg);
}

inline long long Interlocked::exchange_int64(long long volatile& dest, long long excg) noexcept
{
    return posix::atomic_exchange(dest, excg);
}

inline long Interlocked::exchange_int64(long volatile& dest, long excg) noexcept
{
    static_assert(sizeof(long) == 8, "long is expected to be a 64-bit integer");
    return posix::atomic_exchange(dest, excg);
}

inline void* Interlocked::exchange_ptr(void* volatile& dest, void* excg) noexcept
{
    return posix::atomic_exchange(dest, excg);
}

inline int Interlocked::compare_exchange_int32(int volatile& dest, int excg, int comparand) noexcept
{
    return compare_exchange(dest, excg, comparand);
}

inline long long Interlocked::compare_exchange_int64(long long volatile& dest, long long excg,
                                                     long long comparand) noexcept
{
    return compare_exchange(dest, excg, comparand);
}

inline long Interlocked::compare_exchange_int64(long volatile& dest, long excg,
                                                long comparand) noexcept
{
    return compare_exchange(dest, excg, comparand);
}

inline void* Interlocked::compare_exchange_ptr(void* volatile& dest, void* excg,
                                               void* comparand) noexcept
{
    return compare_exchange(dest, excg, comparand);
}

} // namespace tnw::sys
