#pragma once

#include "lib/tnw/tdbg/Debugger.h"
#include "lib/tnw/tdbg/LogMgr.h"
#include "lib/tnw/txt/out/PrintNa.h"

namespace tnw::tdbg {

// Any thread; never throws. Formats the message "%1%".."%n%" with its
// arguments (integers or zero-terminated texts) into a fixed 1024-character
// buffer and writes it to the debug log at level. file is the caller's
// source path and compile date joined by ", ".
template <typename... Args>
void log_fmt(Debugger::Level level, const char* file, const char* function, long line,
             const char* format, const Args&... args) noexcept
{
    constexpr long message_len = 1024;
    try {
        char message[message_len + 1];
        txt::out::PrintNa out(message, message_len);
        out.print(format);
        (out.arg(args), ...);
        LogMgr::use_instance().write(level, message, file, function, line);
    } catch (...) {
        // A record that cannot be made is dropped: logging never fails its caller.
    }
}

} // namespace tnw::tdbg
