#include "lib/tnw/mem/LockFreeRingFifo.h"

#include <gtest/gtest.h>

#include <deque>
#include <random>
#include <thread>

namespace {

using tnw::mem::LockFreeRingFifo;

// Random pushes and pops against a deque, with the ring's positions followed
// by a naive model: the free and filled runs it reports must be the slots that
// follow one another up to the array's end.
TEST(LockFreeRingFifo, BehavesAsABoundedQueueOfCapacityMinusOne)
{
    std::mt19937 rng(7);
    for (long capacity = 1; capacity <= 7; ++capacity) {
        LockFreeRingFifo<long> ring(capacity);
        std::deque<long> model;
        long w = 0; // model positions
        long r = 0;
        long next = 0;
        for (int step = 0; step < 500; ++step) {
            long len_w = -1;
            long len_r = -1;
            long* slot_w = ring.use_data_block_write(len_w);
            const long* slot_r = ring.use_data_block_read(len_r);
            const long nbr_free = capacity - 1 - long(model.size());
            EXPECT_EQ(len_w, (r <= w) ? std::min(nbr_free, capacity - w) : nbr_free);
            EXPECT_EQ(len_r, (r > w) ? capacity - r : w - r);
            EXPECT_EQ(ring.is_full(), nbr_free == 0);
            EXPECT_EQ(ring.is_empty(), model.empty());
            if (rng() % 2 == 0 && nbr_free > 0) {
                *slot_w = next;
                model.push_back(next++);
                ring.advance_write_pos();
                w = (w + 1) % capacity;
            } else if (!model.empty()) {
                EXPECT_EQ(*slot_r, model.front());
                model.pop_front();
                ring.advance_read_pos();
                r = (r + 1) % capacity;
            }
        }
    }
}

// Two halves that a torn hand-over would leave unequal.
struct Pair
{
    long a = 0;
    long b = 0;
};

TEST(LockFreeRingFifo, OneWriterAndOneReaderHandOverEveryElementWhole)
{
    constexpr long NBR = 20000;
    LockFreeRingFifo<Pair> ring(8);
    std::thread writer([&ring] {
        for (long i = 0; i < NBR;) {
            long len = 0;
            Pair* slot = ring.use_data_block_write(len);
            if (len > 0) {
                *slot = {i, -i};
                ring.advance_write_pos();
                ++i;
            }
        }
    });
    long expected = 0;
    while (expected < NBR) {
        long len = 0;
        const Pair* slot = ring.use_data_block_read(len);
        if (len > 0) {
            ASSERT_EQ(slot->a, expected);
            ASSERT_EQ(slot->b, -expected);
            ring.advance_read_pos();
            ++expected;
        }
    }
    writer.join();
    EXPECT_TRUE(ring.is_empty());
}

} // namespace
