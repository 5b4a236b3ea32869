#pragma once

#include "lib/tnw/sys/Interlocked.h"
#include "lib/tnw/sys/posix/AtomicOps.h"

namespace tnw::conc {

// Atomic read-modify-write of a shared 64-bit integer through an operation
// object (AioAdd, AioAddMod): read the value, compute the new one, and
// compare-exchange it in; repeat until no other thread changed the value in
// between. Any thread; lock-free, no allocation.
template <typename T>
class AtomicIntOp
{
public:
    AtomicIntOp() = delete;

    // Returns the value stored by the successful step.
    template <typename OP>
    static T exec_new(T volatile& dest, const OP& op) noexcept
    {
        T new_val{};
        exec(dest, op, new_val);
        return new_val;
    }

    // Returns the value replaced by the successful step.
    template <typename OP>
    static T exec_old(T volatile& dest, const OP& op) noexcept
    {
        T new_val{};
        return exec(dest, op, new_val);
    }

private:
    template <typename OP>
    static T exec(T volatile& dest, const OP& op, T& new_val) noexcept
    {
        while (true) {
            const T old_val = sys::posix::atomic_load(dest);
            new_val = op(old_val);
            if (sys::Interlocked::compare_exchange_int64(dest, new_val, old_val) == old_val) {
                return old_val;
            }
        }
    }
};

} // namespace tnw::conc
