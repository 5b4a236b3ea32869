#include "lib/mppi/Vst2MidiOut.h"

namespace mppi {

Vst2MidiOut::Vst2MidiOut() : _queue(QUEUE_SIZE + 1) {}

Vst2MidiOut::~Vst2MidiOut() = default;

int Vst2MidiOut::connect()
{
    _enabled_flag.store(true, std::memory_order_relaxed);
    return 0;
}

int Vst2MidiOut::disconnect()
{
    _enabled_flag.store(false, std::memory_order_relaxed);
    return 0;
}

bool Vst2MidiOut::enqueue_event(int status, int data1, int data2, int data3) noexcept
{
    long nbr_free = 0;
    Vst2MidiEvent* slot = _queue.use_data_block_write(nbr_free);
    if (nbr_free <= 0) {
        return false;
    }
    *slot = Vst2MidiEvent{};
    slot->_midi_data = {static_cast<unsigned char>(status), static_cast<unsigned char>(data1),
                        static_cast<unsigned char>(data2), static_cast<unsigned char>(data3)};
    _queue.advance_write_pos();
    return true;
}

bool Vst2MidiOut::has_room(int nbr_packets) const noexcept
{
    return _queue.get_nbr_free() >= nbr_packets;
}

int Vst2MidiOut::hand_over(Vst2MidiEvent* dst, int max) noexcept
{
    const bool enabled = is_enabled();
    int nbr = 0;
    long len = 0;
    const Vst2MidiEvent* slot = _queue.use_data_block_read(len);
    while (len > 0 && (!enabled || nbr < max)) {
        if (enabled) {
            dst[nbr++] = *slot;
        }
        _queue.advance_read_pos();
        slot = _queue.use_data_block_read(len);
    }
    return nbr;
}

} // namespace mppi
