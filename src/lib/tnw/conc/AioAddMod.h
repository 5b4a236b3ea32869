#pragma once

#include <cassert>

namespace tnw::conc {

// Operation object of an atomic read-modify-write loop (AtomicIntOp): the new
// value is the old one plus a fixed operand, wrapped into 0 .. bound - 1 (an
// index of a ring). Immutable, so any thread may use one object.
template <typename T>
class AioAddMod
{
public:
    // Precondition: bound > 0.
    AioAddMod(T operand, T bound) noexcept : _operand(operand), _bound(bound) { assert(bound > 0); }
    virtual ~AioAddMod() = default;

    [[nodiscard]] T operator()(T old_val) const noexcept
    {
        const T wrapped = (old_val + _operand) % _bound;
        return (wrapped < 0) ? wrapped + _bound : wrapped;
    }

private:
    T _operand;
    T _bound;
};

} // namespace tnw::conc
