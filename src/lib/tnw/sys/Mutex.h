#pragma once

#include "lib/tnw/sys/posix/NativeMutex.h"

namespace tnw::sys {

// Any thread; blocking, not recursive. A thread must never lock a Mutex it
// already holds. Every failure of the system's mutex throws
// std::runtime_error naming the operation.
class Mutex
{
public:
    Mutex();
    // Creates a new, independent mutex: nothing of the source's state (not
    // even its being locked) is taken.
    Mutex(const Mutex& other);
    // Does nothing: each object keeps its own mutex.
    Mutex& operator=(const Mutex& other) noexcept;
    // The mutex must not be held.
    ~Mutex();

    void lock() const;
    // The calling thread must hold the mutex.
    void unlock() const;

private:
    mutable posix::NativeMutex _native;
};

} // namespace tnw::sys
