#pragma once

namespace tnw::txt::out {

// Receives the characters of a formatted message, framed by begin and end.
// Any thread; one object is used by one thread at a time.
class DevInterface
{
public:
    virtual ~DevInterface() = default;

    // Starts a new output: the device forgets what it held.
    virtual void print_begin() = 0;
    virtual void print_char(char c) = 0;
    // The message (or appended piece) is complete.
    virtual void print_end() = 0;

protected:
    DevInterface() = default;
    DevInterface(const DevInterface&) = default;
    DevInterface& operator=(const DevInterface&) = default;
};

} // namespace tnw::txt::out
