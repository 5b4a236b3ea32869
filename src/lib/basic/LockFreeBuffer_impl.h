#pragma once

// Template bodies of basic::LockFreeBuffer, included at the end of
// LockFreeBuffer.h. Including that header here makes this one stand alone
// too (the header's own include of this file is then skipped).

#include "lib/basic/LockFreeBuffer.h"

namespace basic {

template <typename T>
void LockFreeBuffer<T>::fill(const T& val)
{
    _buf_arr[0] = val;
    _buf_arr[1] = val;
}

template <typename T>
void LockFreeBuffer<T>::write(const T& val)
{
    _writing_flag.store(true);
    // Only this thread changes the generation, so a plain read of it is exact.
    const std::uint64_t gen = _write_gen.load(std::memory_order_relaxed);
    _write_gen.store(gen + 1);

    // The write ends (generation even again, flag cleared) also when T's
    // assignment throws, so the reader is never kept waiting for good.
    struct EndWrite
    {
        LockFreeBuffer& buf;
        std::uint64_t end_gen;
        ~EndWrite()
        {
            buf._write_gen.store(end_gen);
            buf._writing_flag.store(false);
        }
    } const end_write{*this, gen + 2};

    int write_idx = _write_idx.load(std::memory_order_relaxed);
    if (_read_idx.load() == write_idx && _read_done_flag.load()) {
        // The reader has taken the value in this slot: move to the other one.
        write_idx = 1 - write_idx;
        _write_idx.store(write_idx);
        _read_done_flag.store(false);
    }
    _buf_arr[write_idx] = val;
}

template <typename T>
bool LockFreeBuffer<T>::has_new_data() const noexcept
{
    // The generation is noted before the index: when it is unchanged at
    // end_read, no write ran in between and the noted slot held the newest
    // value throughout.
    _pass_gen = _write_gen.load();
    _pass_write_idx = _write_idx.load();
    return is_pending_at_pass();
}

template <typename T>
const T& LockFreeBuffer<T>::use_read_buffer() const noexcept
{
    return _buf_arr[_pass_write_idx];
}

template <typename T>
void LockFreeBuffer<T>::end_read() noexcept
{
    if (!is_pending_at_pass()) {
        return;
    }
    _read_done_flag.store(true);
    const bool write_overlapped =
        _writing_flag.load() || (_pass_gen & 1U) != 0 || _write_gen.load() != _pass_gen;
    if (write_overlapped) {
        return;
    }
    // A write that begins from here on either sees the new read index (and
    // moves to the other slot) or writes into the slot just taken; then its
    // generation differs from _taken_gen and the next pass finds it pending.
    _read_idx.store(_pass_write_idx);
    _taken_gen = _pass_gen;
}

template <typename T>
bool LockFreeBuffer<T>::is_pending_at_pass() const noexcept
{
    // Pending: the writer has moved to a slot that the reader has not taken,
    // or a write completed after the value that the reader took last (a write
    // that landed in the slot while the reader was marking it as taken).
    const std::uint64_t last_complete_gen = _pass_gen & ~std::uint64_t{1};
    return _read_idx.load() != _pass_write_idx || _taken_gen != last_complete_gen;
}

} // namespace basic
