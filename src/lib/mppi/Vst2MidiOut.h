#pragma once

#include "lib/mppi/MidiOut4BPacketMixin.h"
#include "lib/mppi/Vst2MidiEvent.h"
#include "lib/tnw/mem/LockFreeRingFifo.h"

#include <atomic>

namespace mppi {

// The VST host's MIDI output: every packet becomes a VST MIDI event in a
// queue that the audio thread hands to the host at the start of the next
// block. The queue is a pre-allocated ring of QUEUE_SIZE events between one
// sending thread (the writer) and the audio thread (the reader): a packet
// that finds it full is refused. While the device is not selected it is
// disabled, and what was queued is dropped at the next hand-over.
//
// Lifecycle: constructed with its queue; `connect` and `disconnect` on the
// main thread. Packets are queued on the one thread that sends MIDI out;
// `hand_over` runs on the audio thread.
class Vst2MidiOut : public MidiOut4BPacketMixin
{
public:
    static constexpr long QUEUE_SIZE = 1024;

    // Main thread only; allocates the queue.
    Vst2MidiOut();
    ~Vst2MidiOut() override;

    // Main thread only; always 0.
    [[nodiscard]] int connect() override;
    [[nodiscard]] int disconnect() override;
    // Any thread; no lock.
    [[nodiscard]] bool is_enabled() const noexcept
    {
        return _enabled_flag.load(std::memory_order_relaxed);
    }

    // Audio thread; the VST host needs no per-block call.
    void process_pre() noexcept override {}
    void process_post() noexcept override {}
    void do_set_time_stamp(long /*sample_offset*/) noexcept override {}

    // Writer thread; no lock, no allocation. Appends one MIDI event with the
    // four bytes and a delta of 0 frames; false when the queue is full.
    [[nodiscard]] bool enqueue_event(int status, int data1, int data2,
                                     int data3) noexcept override;
    [[nodiscard]] bool has_room(int nbr_packets) const noexcept override;

    // Audio thread; no lock, no allocation. Moves up to `max` queued events,
    // oldest first, into dst and returns how many. While disabled it hands
    // over nothing and empties the queue.
    [[nodiscard]] int hand_over(Vst2MidiEvent* dst, int max) noexcept;

private:
    // One slot of the ring stays empty: QUEUE_SIZE + 1 slots hold QUEUE_SIZE
    // events.
    tnw::mem::LockFreeRingFifo<Vst2MidiEvent> _queue;
    // Relaxed order suffices: the flag publishes no other memory; the queue
    // orders its own slots.
    std::atomic<bool> _enabled_flag{false};
};

} // namespace mppi
