#pragma once

namespace mppi {

// A modulation source, such as a MIDI controller, that destinations connect
// to. It tells the container of each connected destination when its value
// changes; the container then reads the current event through this view.
class ModChannel
{
public:
    ModChannel() = default;
    ModChannel(const ModChannel&) = delete;
    ModChannel& operator=(const ModChannel&) = delete;
    virtual ~ModChannel();

    // Thread of the change (the audio thread for MIDI); no lock, no
    // allocation. Whether an event is current, its value in 0..1, and the
    // voice it belongs to (negative when it belongs to none).
    [[nodiscard]] virtual bool has_cur_event() const noexcept = 0;
    [[nodiscard]] virtual float get_cur_val() const noexcept = 0;
    [[nodiscard]] virtual int get_cur_voice() const noexcept = 0;
};

} // namespace mppi
