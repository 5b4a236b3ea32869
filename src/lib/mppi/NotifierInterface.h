#pragma once

namespace mppi {

class NotifiedInterface;

// An object that tells one listener about its changes. The link is not owned;
// it is null when nobody listens.
class NotifierInterface
{
public:
    NotifierInterface() = default;
    NotifierInterface(const NotifierInterface&) = delete;
    NotifierInterface& operator=(const NotifierInterface&) = delete;
    virtual ~NotifierInterface();

    // Main thread only, during set-up, before any other thread can reach the
    // object; null unlinks.
    void set_notified(NotifiedInterface* listener) noexcept { _notified = listener; }
    [[nodiscard]] NotifiedInterface* get_notified() const noexcept { return _notified; }

protected:
    // Any thread; calls `notify` on the listener when there is one.
    void notify_listener() noexcept;

private:
    NotifiedInterface* _notified = nullptr;
};

} // namespace mppi
