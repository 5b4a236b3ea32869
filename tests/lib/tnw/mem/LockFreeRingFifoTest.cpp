#include "lib/tnw/mem/LockFreeRingFifo.h"

#include <gtest/gtest.h>

#include <deque>
#include <random>
#include <thread>
#include <utility>

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
            EXPECT_EQ(ring.get_nbr_free(), nbr_free);
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

// A hand-over between two threads, of two halves that a torn copy would
// leave unequal. A side that finds the ring full or empty gives the processor
// away, so that the other side runs also when the two share one core.
TEST(LockFreeRingFifo, OneWriterAndOneReaderHandOverEveryElementWhole)
{
    constexpr long NBR = 20000;
    LockFreeRingFifo<std::pair<long, long>> ring(8);
    std::thread writer([&ring] {
        for (long i = 0, len = 0; i < NBR;) {
            auto* slot = ring.use_data_block_write(len);
            if (len > 0) {
                *slot = {i, -i};
                ring.advance_write_pos();
                ++i;
            } else {
                std::this_thread::yield();
            }
        }
    });
    for (long i = 0, len = 0; i < NBR;) {
        const auto* slot = ring.use_data_block_read(len);
        if (len > 0) {
            ASSERT_EQ(*slot, std::make_pair(i, -i));
            ring.advance_read_pos();
            ++i;
        } else {
            std::this_thread::yield();
        }
    }
    writer.join();
}

} // namespace
