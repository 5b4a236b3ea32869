#pragma once

namespace mppi {

class ModDest;

// An object holding modulation destinations, told when the channel of one of
// them changes value or is connected or disconnected.
class ModDestContainerInterface
{
public:
    ModDestContainerInterface() = default;
    ModDestContainerInterface(const ModDestContainerInterface&) = delete;
    ModDestContainerInterface& operator=(const ModDestContainerInterface&) = delete;
    virtual ~ModDestContainerInterface();

    [[nodiscard]] virtual int get_nbr_dest() const noexcept = 0;
    [[nodiscard]] virtual const ModDest& use_dest(int index) const noexcept = 0;
    [[nodiscard]] virtual ModDest& use_dest(int index) noexcept = 0;

    // Thread of the channel's change (the audio thread for MIDI); no lock,
    // no allocation.
    virtual void mod_value_changed(ModDest* dest) noexcept = 0;
    // Thread of the connection (the main thread); no lock, no allocation.
    virtual void dest_connection_changed(ModDest* dest) noexcept = 0;
};

} // namespace mppi
