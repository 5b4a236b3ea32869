#pragma once

#include <cstdint>

namespace tnw::sys::posix {

// Atomic operations on plain memory shared between threads, each a full
// memory barrier (sequentially consistent). They take volatile references so
// that callers can keep their shared integers as ordinary fields; the
// compiler's atomic builtins accept those directly.
// Any thread; lock-free for the 32- and 64-bit types and pointers.

// 128-bit unit of the double-word operations: low word first, aligned on 16
// bytes as the processor's 16-byte compare-and-swap requires.
struct alignas(16) Word128
{
    std::uint64_t lo;
    std::uint64_t hi;
};

template <typename T>
[[nodiscard]] inline T atomic_load(const volatile T& src) noexcept
{
    return __atomic_load_n(&src, __ATOMIC_SEQ_CST);
}

template <typename T>
inline void atomic_store(volatile T& dest, T val) noexcept
{
    __atomic_store_n(&dest, val, __ATOMIC_SEQ_CST);
}

// Returns the previous content of dest.
template <typename T>
inline T atomic_exchange(volatile T& dest, T val) noexcept
{
    return __atomic_exchange_n(&dest, val, __ATOMIC_SEQ_CST);
}

// One compare-and-swap attempt: true when dest held expected and now holds
// desired; otherwise false, and expected receives the content of dest.
template <typename T>
[[nodiscard]] inline bool atomic_compare_exchange(volatile T& dest, T& expected, T desired) noexcept
{
    return __atomic_compare_exchange_n(&dest, &expected, desired, false, __ATOMIC_SEQ_CST,
                                       __ATOMIC_SEQ_CST);
}

// Same convention for 128 bits. Goes through the atomic support library,
// which uses the processor's 16-byte compare-and-swap when it has one.
[[nodiscard]] bool atomic_compare_exchange_128(volatile Word128& dest, Word128& expected,
                                               const Word128& desired) noexcept;

} // namespace tnw::sys::posix
