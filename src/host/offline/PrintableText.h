#pragma once

#include <string>

namespace host::offline {

// Any thread; no state; may allocate. `text` with every byte that a terminal
// could take for a command, or could not show, written as \xHH in lower-case
// hex: the C0 controls (bytes below 0x20) and 0x7f, each byte of a C1 control
// (U+0080 to U+009F, the bytes c2 80 to c2 9f), and each byte that is no part
// of well-formed UTF-8 (a stray or missing continuation byte, an overlong
// form, a surrogate, a code point past U+10FFFF). A backslash is written as
// \x5c, so the text shown reads back to the very bytes given. Every other
// byte, printable UTF-8 included, stays as it is. A name from a file or the
// command line thus cannot move the terminal's cursor or start a line of its
// own.
[[nodiscard]] std::string make_printable(const std::string& text);

} // namespace host::offline
