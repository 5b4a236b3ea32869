#pragma once

namespace host::offline::posix {

// The standard input and output, as to whether they were closed when the
// process started.
struct ClosedStreams
{
    bool input = false;
    bool output = false;
};

// Main thread only, first thing at start, before any file is opened. Opens
// the null device on every closed standard descriptor (0 for reading, 1 and 2
// for writing), so that no file opened later takes its number and nothing
// meant for a standard stream lands in that file; whether the input and the
// output were closed. A descriptor stays closed where the null device cannot
// be opened.
[[nodiscard]] ClosedStreams fill_closed_streams() noexcept;

} // namespace host::offline::posix
