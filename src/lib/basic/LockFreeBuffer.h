#pragma once

#include <atomic>
#include <cstdint>

namespace basic {

// Two-slot hand-over of one value from one writer thread (the main thread)
// to one reader thread (the audio thread) without a lock.
//
// Lifecycle: the owner builds the buffer and fill()s both slots before any
// other thread touches it. From then on exactly one writer thread calls
// write() and exactly one reader thread runs, once per block, the pass
//     if (buf.has_new_data()) { consume(buf.use_read_buffer()); buf.end_read(); }
// Of several writes that come before the reader takes one, only the last is
// handed over. A pass that a write overlaps (a write in progress when the
// pass begins, or begun before end_read has marked the value as taken) keeps
// the data pending, so the next pass hands the newest value over; no
// completed write is ever lost.
//
// The writer may overwrite the pending slot while the reader holds it: a
// consumer that reads the slot during such a pass may see it change (the pass
// is then repeated). In this system the consumer does not read the slot
// during the pass, so nothing reads a slot while a write runs.
//
// Neither side locks or makes a read-modify-write. The write index, the
// writing flag and the write generation are written only by the writer, the
// read index only by the reader; the read-done flag is set by the reader and
// cleared by the writer. All of them are sequentially consistent atomics:
// each side's steps must be seen by the other in program order, and the
// reader's check of the write generation and the writer's check of the read
// index form a store-then-load handshake that only a total order makes safe.
template <typename T>
class LockFreeBuffer
{
public:
    LockFreeBuffer() = default;
    LockFreeBuffer(const LockFreeBuffer& other) = delete;
    LockFreeBuffer& operator=(const LockFreeBuffer& other) = delete;
    virtual ~LockFreeBuffer() = default;

    // Owner only, before any thread writes or reads: assigns val to both
    // slots; indices and flags unchanged.
    void fill(const T& val);

    // Writer thread only; copies val with T's assignment (may allocate). When
    // the assignment throws, the exception passes on and the slot holds what
    // the assignment left.
    void write(const T& val);

    // Reader thread only; no lock, no allocation. Begins a pass: true when a
    // value is waiting.
    [[nodiscard]] bool has_new_data() const noexcept;

    // Reader thread only; no lock, no allocation. The pending value found by
    // this pass's has_new_data().
    [[nodiscard]] const T& use_read_buffer() const noexcept;

    // Reader thread only; no lock, no allocation. Ends the pass: marks the
    // value as taken unless a write overlapped the pass.
    void end_read() noexcept;

private:
    [[nodiscard]] bool is_pending_at_pass() const noexcept;

    T _buf_arr[2];
    std::atomic<int> _write_idx{0};
    std::atomic<int> _read_idx{1};
    std::atomic<bool> _read_done_flag{false};
    std::atomic<bool> _writing_flag{false};

    // Writer only: raised by one when a write begins and again when it ends,
    // so it is odd while a write runs and counts the completed writes twice.
    std::atomic<std::uint64_t> _write_gen{0};

    // Reader only. The write generation and write index noted when the
    // current pass began (odd until a first pass, so that end_read without a
    // pass takes nothing), and the generation of the last value taken.
    mutable std::uint64_t _pass_gen = 1;
    mutable int _pass_write_idx = 0;
    std::uint64_t _taken_gen = 0;
};

} // namespace basic

#include "lib/basic/LockFreeBuffer_impl.h"
