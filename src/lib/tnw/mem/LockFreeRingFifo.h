#pragma once

#include "lib/tnw/conc/AioAddMod.h"
#include "lib/tnw/conc/AtomicIntOp.h"
#include "lib/tnw/sys/posix/AtomicOps.h"

#include <algorithm>
#include <cassert>
#include <memory>

namespace tnw::mem {

// Ring of preallocated slots handed from one writer to one reader. One slot
// always stays empty, so the ring holds at most capacity - 1 elements: it is
// empty when both positions are equal and full when the write position is one
// step behind the read position.
// The writer fills the slot from use_data_block_write() and publishes it with
// advance_write_pos(); the reader reads the slot from use_data_block_read()
// and frees it with advance_read_pos(). One writer thread and one reader
// thread at a time (they may be the same); lock-free, no allocation after
// construction. The positions change only through the atomic read-modify-write
// loop, each step a full barrier: a published slot is seen whole by the
// reader, and any other thread sees consistent positions (is_full, is_empty).
template <typename T>
class LockFreeRingFifo
{
public:
    // May allocate; throws what the allocation or T's constructor throws.
    // Precondition: capacity >= 1.
    explicit LockFreeRingFifo(long capacity);
    virtual ~LockFreeRingFifo() = default;
    LockFreeRingFifo(const LockFreeRingFifo&) = delete;
    LockFreeRingFifo& operator=(const LockFreeRingFifo&) = delete;

    // Writer. The slot at the write position; len receives the number of free
    // slots that follow one another from there (up to the end of the array).
    [[nodiscard]] T* use_data_block_write(long& len) noexcept;
    // Reader. The slot at the read position; len receives the number of
    // filled slots that follow one another from there.
    [[nodiscard]] const T* use_data_block_read(long& len) const noexcept;

    // Writer: publishes the slot at the write position. Precondition: not full.
    void advance_write_pos() noexcept;
    // Reader: frees the slot at the read position. Precondition: not empty.
    void advance_read_pos() noexcept;

    [[nodiscard]] bool is_full() const noexcept;
    [[nodiscard]] bool is_empty() const noexcept;
    // Writer: the number of free slots, all runs together. The reader only
    // frees slots, so the writer can count on them until it writes.
    [[nodiscard]] long get_nbr_free() const noexcept
    {
        return (load_read_pos() + _capacity - load_write_pos() - 1) % _capacity;
    }
    [[nodiscard]] long get_capacity() const noexcept { return _capacity; }

private:
    [[nodiscard]] long load_write_pos() const noexcept
    {
        return sys::posix::atomic_load(_write_pos);
    }
    [[nodiscard]] long load_read_pos() const noexcept { return sys::posix::atomic_load(_read_pos); }

    std::unique_ptr<T[]> _data;
    long volatile _write_pos = 0;
    long volatile _read_pos = 0;
    long _capacity;
};

template <typename T>
LockFreeRingFifo<T>::LockFreeRingFifo(long capacity)
    : _data(std::make_unique<T[]>(static_cast<std::size_t>(capacity))), _capacity(capacity)
{
    assert(capacity >= 1);
    sys::posix::atomic_store(_write_pos, 0L);
    sys::posix::atomic_store(_read_pos, 0L);
}

template <typename T>
T* LockFreeRingFifo<T>::use_data_block_write(long& len) noexcept
{
    const long w = load_write_pos();
    len = std::min(get_nbr_free(), _capacity - w);
    return &_data[static_cast<std::size_t>(w)];
}

template <typename T>
const T* LockFreeRingFifo<T>::use_data_block_read(long& len) const noexcept
{
    const long w = load_write_pos();
    const long r = load_read_pos();
    len = (r > w) ? _capacity - r : w - r;
    return &_data[static_cast<std::size_t>(r)];
}

template <typename T>
void LockFreeRingFifo<T>::advance_write_pos() noexcept
{
    assert(!is_full());
    conc::AtomicIntOp<long>::exec_new(_write_pos, conc::AioAddMod<long>(1, _capacity));
}

template <typename T>
void LockFreeRingFifo<T>::advance_read_pos() noexcept
{
    assert(!is_empty());
    conc::AtomicIntOp<long>::exec_new(_read_pos, conc::AioAddMod<long>(1, _capacity));
}

template <typename T>
bool LockFreeRingFifo<T>::is_full() const noexcept
{
    return (load_write_pos() + 1) % _capacity == load_read_pos();
}

template <typename T>
bool LockFreeRingFifo<T>::is_empty() const noexcept
{
    return load_write_pos() == load_read_pos();
}

} // namespace tnw::mem
