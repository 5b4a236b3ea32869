#pragma once

namespace tnw::sys::posix {

// Storage for one POSIX mutex, opaque to portable code so that no system
// header leaks out of this folder. Every operation reports success as true.
// The owner guarantees the call order: init once, lock / unlock in pairs, and
// destroy once when nothing holds the mutex any more.
class NativeMutex
{
public:
    // Any thread; creates the mutex with default attributes (not recursive).
    [[nodiscard]] bool init() noexcept;
    // Any thread; the mutex must be unlocked.
    void destroy() noexcept;
    // Any thread; blocks until the mutex is held.
    [[nodiscard]] bool lock() noexcept;
    // The thread that holds the mutex.
    [[nodiscard]] bool unlock() noexcept;

private:
    // Large and aligned enough for the system's mutex type (checked where the
    // system header is seen).
    alignas(16) unsigned char _storage[64];
};

} // namespace tnw::sys::posix
