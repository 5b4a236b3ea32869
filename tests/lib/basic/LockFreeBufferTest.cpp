#include "lib/basic/LockFreeBuffer.h"

#include "support/AllocFailure.h"

#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <thread>
#include <vector>

namespace {

// Value whose assignment can run a hook half-way, to let a reader pass run
// inside a write on a single thread.
struct Probe
{
    int value = 0;

    Probe() = default;
    explicit Probe(int val) : value(val) {}
    Probe(const Probe& other) = default;
    Probe& operator=(const Probe& other)
    {
        if (on_assign) {
            auto hook = std::move(on_assign);
            on_assign = nullptr;
            hook();
        }
        value = other.value;
        return *this;
    }

    static inline std::function<void()> on_assign;
};

// One reader pass as the host binding runs it; returns the slot handed over,
// or null when nothing was pending.
const Probe* run_pass(basic::LockFreeBuffer<Probe>& buf, int* value_out = nullptr)
{
    if (!buf.has_new_data()) {
        return nullptr;
    }
    const Probe& slot = buf.use_read_buffer();
    if (value_out != nullptr) {
        *value_out = slot.value;
    }
    buf.end_read();
    return &slot;
}

TEST(LockFreeBuffer, StateWalkWithoutOverlap)
{
    basic::LockFreeBuffer<Probe> buf;
    buf.fill(Probe(10));

    // A new buffer has data pending: the first pass hands over the filled slot.
    int value = -1;
    const Probe* first_slot = run_pass(buf, &value);
    ASSERT_NE(first_slot, nullptr);
    EXPECT_EQ(value, 10);
    EXPECT_EQ(run_pass(buf), nullptr);

    // A write after a completed read goes into the other slot.
    buf.write(Probe(11));
    const Probe* second_slot = run_pass(buf, &value);
    ASSERT_NE(second_slot, nullptr);
    EXPECT_NE(second_slot, first_slot);
    // The first pass handed over slot 0, the first of the two.
    EXPECT_TRUE(std::less<const Probe*>()(first_slot, second_slot));
    EXPECT_EQ(value, 11);
    EXPECT_EQ(run_pass(buf), nullptr);

    // Two writes before a read: the second overwrites the pending slot (back
    // in the first one) and only it is handed over.
    buf.write(Probe(12));
    buf.write(Probe(13));
    EXPECT_EQ(run_pass(buf, &value), first_slot);
    EXPECT_EQ(value, 13);
    EXPECT_EQ(run_pass(buf), nullptr);
}

TEST(LockFreeBuffer, WriteBeforeTheFirstPassReplacesTheFilledValue)
{
    basic::LockFreeBuffer<Probe> buf;
    buf.fill(Probe(1));
    // Data is pending from the start, so the write stays in slot 0.
    buf.write(Probe(2));
    int value = -1;
    const Probe* slot = run_pass(buf, &value);
    ASSERT_NE(slot, nullptr);
    EXPECT_EQ(value, 2);
    EXPECT_EQ(run_pass(buf), nullptr);
    buf.write(Probe(3));
    EXPECT_NE(run_pass(buf, &value), slot);
    EXPECT_EQ(value, 3);
}

TEST(LockFreeBuffer, PassDuringWriteKeepsDataPending)
{
    basic::LockFreeBuffer<Probe> buf;
    buf.fill(Probe(0));
    ASSERT_NE(run_pass(buf), nullptr);

    // The reader pass runs while the write copies into its slot: it finds the
    // writing flag set and must not mark the value as taken.
    bool pass_found_data = false;
    Probe::on_assign = [&] { pass_found_data = run_pass(buf) != nullptr; };
    buf.write(Probe(5));
    EXPECT_TRUE(pass_found_data);

    int value = -1;
    ASSERT_NE(run_pass(buf, &value), nullptr);
    EXPECT_EQ(value, 5);
    EXPECT_EQ(run_pass(buf), nullptr);
}

TEST(LockFreeBuffer, WholeWriteDuringPassIsNotLost)
{
    basic::LockFreeBuffer<Probe> buf;
    buf.fill(Probe(0));
    ASSERT_NE(run_pass(buf), nullptr);
    buf.write(Probe(1));

    // The consumer takes the pending value, and a whole write lands in that
    // same slot before end_read: the new value must stay pending.
    ASSERT_TRUE(buf.has_new_data());
    EXPECT_EQ(buf.use_read_buffer().value, 1);
    buf.write(Probe(2));
    buf.end_read();

    int value = -1;
    ASSERT_NE(run_pass(buf, &value), nullptr);
    EXPECT_EQ(value, 2);
    EXPECT_EQ(run_pass(buf), nullptr);
}

TEST(LockFreeBuffer, ReaderPassesAllocateNothing)
{
    basic::LockFreeBuffer<std::vector<int>> buf;
    buf.fill(std::vector<int>(100, 1));
    buf.write(std::vector<int>(200, 2));
    std::size_t seen_size = 0;
    const long before = test_support::get_nbr_allocations();
    // One pass that takes the pending value, one that finds nothing.
    for (int pass = 0; pass < 2; ++pass) {
        if (buf.has_new_data()) {
            seen_size = buf.use_read_buffer().size();
            buf.end_read();
        }
    }
    EXPECT_EQ(test_support::get_nbr_allocations(), before);
    EXPECT_EQ(seen_size, 200U);
}

// Payload that tears when a read overlaps a write: every word should hold
// the same counter. The words are relaxed atomics so that an overlapping read
// is a detectable tear rather than undefined behaviour.
struct Tearable
{
    static constexpr int NBR_WORDS = 8;
    std::array<std::atomic<std::uint64_t>, NBR_WORDS> words{};

    Tearable() = default;
    explicit Tearable(std::uint64_t val) { set(val); }
    Tearable(const Tearable& other) { *this = other; }
    Tearable& operator=(const Tearable& other)
    {
        for (int idx = 0; idx < NBR_WORDS; ++idx) {
            words[idx].store(other.words[idx].load(std::memory_order_relaxed),
                             std::memory_order_relaxed);
        }
        return *this;
    }
    void set(std::uint64_t val)
    {
        for (auto& word : words) {
            word.store(val, std::memory_order_relaxed);
        }
    }
};

// Reads the words one by one; returns the counter, or UINT64_MAX when torn.
std::uint64_t read_whole(const Tearable& payload)
{
    const std::uint64_t first = payload.words[0].load(std::memory_order_relaxed);
    for (const auto& word : payload.words) {
        if (word.load(std::memory_order_relaxed) != first) {
            return UINT64_MAX;
        }
    }
    return first;
}

// Spins, giving the processor away, until flag holds val.
void wait_for_value(const std::atomic<std::uint64_t>& flag, std::uint64_t val)
{
    while (flag.load() != val) {
        std::this_thread::yield();
    }
}

TEST(LockFreeBuffer, ConcurrentWriterAndReaderLoseNothing)
{
    constexpr std::uint64_t NBR_WRITES = 1'000'000;
    // Every this many writes the threads meet, so that passes with no write in flight are
    // checked however the threads are scheduled: the writer waits until the reader has taken
    // everything pending, then writes once and waits until the reader has taken that value.
    // Between meetings they race freely.
    constexpr std::uint64_t MEET_EVERY = 16384;

    basic::LockFreeBuffer<Tearable> buf;
    buf.fill(Tearable(0));
    std::atomic<std::uint64_t> started{0};
    std::atomic<std::uint64_t> finished{0};
    // The write the writer holds back until the reader has drained the buffer; then the
    // reader's answer, the meeting write once done, and the reader's answer to that.
    std::atomic<std::uint64_t> drain_asked{0};
    std::atomic<std::uint64_t> drained{0};
    std::atomic<std::uint64_t> met_written{0};
    std::atomic<std::uint64_t> met_taken{0};

    std::thread writer([&] {
        Tearable payload;
        for (std::uint64_t count = 1; count <= NBR_WRITES; ++count) {
            // Never at the last write: the reader stops once it is done.
            const bool meet = count % MEET_EVERY == 0 && count < NBR_WRITES;
            if (meet) {
                drain_asked.store(count);
                wait_for_value(drained, count);
            }
            payload.set(count);
            started.store(count);
            buf.write(payload);
            finished.store(count);
            if (meet) {
                met_written.store(count);
                wait_for_value(met_taken, count);
            }
        }
    });

    std::uint64_t nbr_met = 0;
    std::uint64_t last_clean = 0;
    std::uint64_t last_read = 0;
    while (finished.load() < NBR_WRITES) {
        if (const std::uint64_t meeting = drain_asked.load(); meeting != drained.load()) {
            // The writer waits before write `meeting`: one pass takes the newest value if
            // the reader has not taken it yet, and then nothing is pending.
            if (buf.has_new_data()) {
                last_read = read_whole(buf.use_read_buffer());
                buf.end_read();
            }
            ASSERT_EQ(last_read, meeting - 1);
            ASSERT_FALSE(buf.has_new_data());
            drained.store(meeting);
            // Exactly the one value written since is pending, whole, and the pass takes it.
            wait_for_value(met_written, meeting);
            ASSERT_TRUE(buf.has_new_data());
            last_read = read_whole(buf.use_read_buffer());
            buf.end_read();
            ASSERT_EQ(last_read, meeting);
            ASSERT_FALSE(buf.has_new_data());
            last_clean = meeting;
            ++nbr_met;
            met_taken.store(meeting);
            continue;
        }
        const std::uint64_t started_before = started.load();
        const std::uint64_t finished_before = finished.load();
        if (!buf.has_new_data()) {
            // Nothing pending while no write is in flight: the reader's last
            // pass took the newest value (a lost write shows here).
            if (started_before == finished_before && started.load() == started_before) {
                ASSERT_EQ(last_read, started_before);
            }
            continue;
        }
        const std::uint64_t value = read_whole(buf.use_read_buffer());
        buf.end_read();
        last_read = value;
        const bool clean = started_before == finished_before && started.load() == started_before;
        if (!clean) {
            continue;
        }
        // No write overlapped: the value is whole, the newest one written,
        // never older than the previous clean pass saw, and it was taken.
        ASSERT_EQ(value, started_before);
        ASSERT_GE(value, last_clean);
        last_clean = value;
        ASSERT_TRUE(!buf.has_new_data() || started.load() != started_before);
    }
    writer.join();

    // Once the writer has stopped, the next pass delivers the last value; when
    // nothing is pending, the reader's last pass took it. Then nothing is
    // pending any more.
    if (buf.has_new_data()) {
        last_read = read_whole(buf.use_read_buffer());
        buf.end_read();
    }
    EXPECT_EQ(last_read, NBR_WRITES);
    EXPECT_FALSE(buf.has_new_data());
    EXPECT_EQ(nbr_met, (NBR_WRITES - 1) / MEET_EVERY);
}

} // namespace
