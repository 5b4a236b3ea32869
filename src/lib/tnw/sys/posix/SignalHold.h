#pragma once

namespace tnw::sys::posix {

// One thread: hold() and release() are called on the same thread, which is the only one
// whose signals it holds. While held, SIGINT, SIGTERM and SIGHUP sent to the process or the
// thread wait, pending, instead of acting; on release they act as they would have, once
// each. A signal that was held already before stays so. Released when the object goes.
class SignalHold
{
public:
    SignalHold() = default;
    SignalHold(const SignalHold&) = delete;
    SignalHold& operator=(const SignalHold&) = delete;
    ~SignalHold() { release(); }

    // Does nothing while held already.
    void hold() noexcept;
    // Does nothing while not held.
    void release() noexcept;

private:
    // One bit per signal this hold blocked (and so unblocks), in the order of the list.
    unsigned _blocked = 0;
};

} // namespace tnw::sys::posix
