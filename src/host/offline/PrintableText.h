#pragma once

#include <string>

namespace host::offline {

// Any thread; no state; may allocate. `text` with every control character
// (bytes below 0x20, and 0x7f) written as \xHH in lower-case hex, so a name
// from a file cannot move the terminal's cursor or start a line of its own;
// every other byte, UTF-8 included, stays as it is.
[[nodiscard]] std::string make_printable(const std::string& text);

} // namespace host::offline
