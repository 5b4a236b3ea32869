#pragma once

namespace tnw::tdbg {

// Any thread; never throws. Writes text to the debug log at level ERROR, as
// the argument of the format "%1%" (so percent signs stay as they are),
// formatted into a fixed 1024-character buffer. file is the caller's source
// path and compile date joined by ", ". A null text writes nothing.
void log_error(const char* text, const char* file, const char* function, long line) noexcept;

} // namespace tnw::tdbg
