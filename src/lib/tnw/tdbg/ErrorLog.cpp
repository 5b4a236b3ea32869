#include "lib/tnw/tdbg/ErrorLog.h"

#include "lib/tnw/tdbg/LogMgr.h"
#include "lib/tnw/txt/out/PrintNa.h"

namespace tnw::tdbg {

namespace {
constexpr long MESSAGE_LEN = 1024;
} // namespace

void log_error(const char* text, const char* file, const char* function, long line) noexcept
{
    if (text == nullptr) {
        return;
    }
    try {
        char message[MESSAGE_LEN + 1];
        txt::out::PrintNa out(message, MESSAGE_LEN);
        out.print("%1%").arg(text);
        LogMgr::use_instance().write(Debugger::ERROR, message, file, function, line);
    } catch (...) {
        // A record that cannot be made is dropped: logging never fails its caller.
    }
}

} // namespace tnw::tdbg
