#pragma once

namespace tnw::conc {

// Operation object of an atomic read-modify-write loop (AtomicIntOp): the new
// value is the old one plus a fixed operand. Immutable, so any thread may use
// one object.
template <typename T>
class AioAdd
{
public:
    explicit AioAdd(T operand) noexcept : _operand(operand) {}
    virtual ~AioAdd() = default;

    [[nodiscard]] T operator()(T old_val) const noexcept { return old_val + _operand; }

private:
    T _operand;
};

} // namespace tnw::conc
