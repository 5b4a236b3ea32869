#pragma once

#include "lib/mppi/ModBase.h"

#include <atomic>

namespace mppi {

class ModChannel;
class ModDestContainerInterface;

// The end of a modulation link that a channel connects to. It belongs to a
// container, which it tells when the connection changes. Neither link is
// owned.
//
// Main thread connects and disconnects; the channel's thread reads the link.
class ModDest : public ModBase
{
public:
    ModDest() = default;
    explicit ModDest(const std::string& name) : ModBase(name) {}
    ~ModDest() override;

    // Main thread only, during set-up.
    void set_container(ModDestContainerInterface* container) noexcept
    {
        _container_ptr = container;
    }
    [[nodiscard]] ModDestContainerInterface* get_container() const noexcept
    {
        return _container_ptr;
    }

    // Main thread only; no lock, no allocation. Connects `channel` (null
    // disconnects), then tells the container when there is one.
    void set_channel(ModChannel* channel) noexcept;
    // Any thread; no lock, no allocation. The connected channel or null.
    [[nodiscard]] ModChannel* get_channel() const noexcept
    {
        return _channel_ptr.load(std::memory_order_acquire);
    }

private:
    // Stored on the main thread, read on the channel's thread: release and
    // acquire so that a reader sees the channel it is given fully built.
    std::atomic<ModChannel*> _channel_ptr{nullptr};
    ModDestContainerInterface* _container_ptr = nullptr;
};

} // namespace mppi
