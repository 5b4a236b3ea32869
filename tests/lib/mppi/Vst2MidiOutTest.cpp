#include "lib/mppi/Vst2MidiOut.h"

#include "lib/mppi/MidiMgr.h"
#include "support/AllocFailure.h"
#include "support/Vst2MidiRig.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

namespace {

using mppi::MidiMgr;
using mppi::Vst2MidiEvent;
using mppi::Vst2MidiOut;
using test_support::Vst2MidiRig;

// The queue holds QUEUE_SIZE events a block: the next one is refused until
// the audio thread has handed the queue over. A disabled device hands
// nothing over and forgets what was queued.
TEST(Vst2MidiOut, QueueHoldsOneBlockOfEvents)
{
    Vst2MidiOut out;
    ASSERT_EQ(out.connect(), 0);
    for (long i = 0; i < Vst2MidiOut::QUEUE_SIZE; ++i) {
        ASSERT_TRUE(out.enqueue_event(0xB0, int(i & 127), 0, 0));
    }
    EXPECT_FALSE(out.has_room(1));
    EXPECT_FALSE(out.enqueue_event(0xB0, 0, 0, 0));
    std::vector<Vst2MidiEvent> block(Vst2MidiOut::QUEUE_SIZE + 1);
    ASSERT_EQ(out.hand_over(block.data(), int(block.size())), Vst2MidiOut::QUEUE_SIZE);
    EXPECT_EQ(block[1000]._midi_data[1], 1000 & 127);
    EXPECT_TRUE(out.enqueue_event(0xB0, 0, 0, 0));

    ASSERT_EQ(out.disconnect(), 0);
    EXPECT_EQ(out.hand_over(block.data(), int(block.size())), 0);
    ASSERT_EQ(out.connect(), 0);
    EXPECT_EQ(out.hand_over(block.data(), int(block.size())), 0);
}

// One thread queues numbered packets while the other hands the queue over
// block by block: every packet arrives once, whole and in order.
TEST(Vst2MidiOut, HandOverRacesWithQueueing)
{
    constexpr int NBR = 100000;
    Vst2MidiOut out;
    ASSERT_EQ(out.connect(), 0);
    std::thread writer([&out] {
        for (int i = 0; i < NBR;) {
            // Status, data 1 and data 2 all carry bits of i.
            if (out.enqueue_event(0x80 | ((i >> 14) & 0x7F), i & 127, (i >> 7) & 127, 0)) {
                ++i;
            } else {
                std::this_thread::yield();
            }
        }
    });
    std::vector<Vst2MidiEvent> block(256);
    int expected = 0;
    while (expected < NBR) {
        const int nbr = out.hand_over(block.data(), int(block.size()));
        for (int k = 0; k < nbr; ++k, ++expected) {
            const auto& d = block[size_t(k)]._midi_data;
            const int got = ((d[0] & 0x7F) << 14) | (d[2] << 7) | d[1];
            ASSERT_EQ(got, expected);
        }
    }
    writer.join();
}

// Every 14-bit value sent out as NRPN and fed back in arrives unchanged, in
// both number orders; every 7-bit controller value fed in comes back out.
TEST(Vst2MidiOut, LoopBackKeepsEveryValue)
{
    for (const int compat : {0, 1}) {
        Vst2MidiRig rig(compat);
        ASSERT_EQ(rig.mgr.associate_param(0, 99, 1234), 0);
        for (int v = 0; v <= MidiMgr::VALUE14_MAX; ++v) {
            const float norm = MidiMgr::ctrl_to_norm(v);
            ASSERT_EQ(rig.mgr.param_to_midi_out(0, 0, norm), 0);
            rig.cmd.last_value = -1.0f;
            for (const auto& p : rig.take_packets()) {
                rig.feed({p[0], p[1], p[2]});
            }
            ASSERT_EQ(rig.cmd.last_value, norm) << compat << " " << v;
            rig.client.calls.clear();
        }
    }
    // Below controller 32 the value goes out as MSB and LSB (controller + 32).
    Vst2MidiRig rig;
    ASSERT_EQ(rig.mgr.associate_param(0, 7, 0), 0);
    ASSERT_EQ(rig.mgr.associate_param(1, 74, 0), 0);
    using Packets = std::vector<Vst2MidiRig::Packet>;
    for (int v = 0; v < 128; ++v) {
        rig.feed({0xB0, 7, v, 0xB0, 74, v});
        ASSERT_EQ(rig.mgr.param_to_midi_out(0, 0, rig.cmd.last_value), 0);
        ASSERT_EQ(rig.mgr.param_to_midi_out(0, 1, rig.cmd.last_value), 0);
        EXPECT_EQ(rig.take_packets(), (Packets{{0xB0, 7, v, 0}, {0xB0, 39, 0, 0}, {0xB0, 74, v, 0}}));
    }
}

// The audio-thread paths allocate nothing: decoding with learn and mapping,
// sending parameters out (on whichever thread) and handing the queue over.
TEST(Vst2MidiOut, MidiPathsAllocateNothing)
{
    test_support::Vst2MidiRigOf<mppi::MidiReceiverInterface> rig;
    ASSERT_EQ(rig.mgr.set_default_nrpn_mapping(), 0);
    rig.mgr.set_autobind_param(1);
    rig.feed({0xB0, 7, 1}); // the first learn may build the map
    std::vector<Vst2MidiEvent> block(Vst2MidiOut::QUEUE_SIZE);
    const long before = test_support::get_nbr_allocations();
    rig.feed({0xB0, 99, 0, 0xB0, 98, 3, 0xB0, 6, 127, 0xB0, 38, 127, 0xB0, 7, 5, 0x90, 60, 100,
              0xB0, 64, 127, 0x80, 60, 0, 0xB0, 64, 0, 0xE0, 1, 2, 0xC0, 5, 0});
    EXPECT_EQ(rig.mgr.param_to_midi_out(0, 0, 0.5f), 0);
    EXPECT_EQ(rig.out().hand_over(block.data(), int(block.size())), 4);
    EXPECT_EQ(test_support::get_nbr_allocations(), before);
}

} // namespace
