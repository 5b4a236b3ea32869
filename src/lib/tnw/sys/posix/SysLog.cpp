#include "lib/tnw/sys/posix/SysLog.h"

#include <syslog.h>

#include <atomic>
#include <cstdio>
#include <list>
#include <mutex>
#include <string>

namespace tnw::sys::posix {

static_assert(SYSLOG_EMERG == LOG_EMERG && SYSLOG_ERR == LOG_ERR && SYSLOG_WARNING == LOG_WARNING &&
              SYSLOG_INFO == LOG_INFO && SYSLOG_DEBUG == LOG_DEBUG);

namespace {

constexpr const char* ENTRY_FORMAT = "%s %s %s %s %ld";
constexpr int OPEN_OPTION = LOG_PID | LOG_NDELAY;
// Bits of the priorities 0 to 7: every priority passes.
constexpr int ALL_PRIORITIES_MASK = 255;

// Acquire / release: a sink set on one thread is seen whole by another.
std::atomic<SysLogSinkInterface*> sink_ptr{nullptr};

// Every ident ever handed to the system stays alive here: the system may read
// the previous one until the new openlog() has taken over.
const char* keep_ident(const char* ident)
{
    if (ident == nullptr) {
        return nullptr;
    }
    static std::mutex idents_mutex;
    static std::list<std::string> idents;
    const std::lock_guard<std::mutex> lock(idents_mutex);
    idents.emplace_back(ident);
    return idents.back().c_str();
}

const char* or_empty(const char* txt_0)
{
    return (txt_0 == nullptr) ? "" : txt_0;
}

} // namespace

void open_sys_log(const char* ident)
{
    const char* kept = keep_ident(ident);
    if (SysLogSinkInterface* sink = sink_ptr.load(std::memory_order_acquire)) {
        sink->open(kept, OPEN_OPTION, LOG_USER, ALL_PRIORITIES_MASK);
        return;
    }
    ::openlog(kept, OPEN_OPTION, LOG_USER);
    ::setlogmask(ALL_PRIORITIES_MASK);
}

void send_sys_log(int priority, const char* module, const char* msg, const char* file,
                  const char* function, long line)
{
    module = or_empty(module);
    msg = or_empty(msg);
    file = or_empty(file);
    function = or_empty(function);
    if (SysLogSinkInterface* sink = sink_ptr.load(std::memory_order_acquire)) {
        const int len = std::snprintf(nullptr, 0, ENTRY_FORMAT, module, msg, file, function, line);
        std::string text(static_cast<std::size_t>(len < 0 ? 0 : len), '\0');
        std::snprintf(text.data(), text.size() + 1, ENTRY_FORMAT, module, msg, file, function,
                      line);
        sink->send(priority, text.c_str());
        return;
    }
    ::syslog(priority, ENTRY_FORMAT, module, msg, file, function, line);
}

void set_sys_log_sink(SysLogSinkInterface* sink) noexcept
{
    sink_ptr.store(sink, std::memory_order_release);
}

} // namespace tnw::sys::posix
