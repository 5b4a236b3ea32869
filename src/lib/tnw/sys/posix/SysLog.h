#pragma once

namespace tnw::sys::posix {

// Priorities of the system log, numbered as the system numbers them.
enum SysLogPriority : int
{
    SYSLOG_EMERG = 0,
    SYSLOG_ERR = 3,
    SYSLOG_WARNING = 4,
    SYSLOG_INFO = 6,
    SYSLOG_DEBUG = 7
};

// Receives what would reach the system log, so that a test can record it.
class SysLogSinkInterface
{
public:
    virtual ~SysLogSinkInterface() = default;

    // ident is the copy that stays with the log; option, facility and mask
    // are the values handed to the system.
    virtual void open(const char* ident, int option, int facility, int mask) = 0;
    // text is the entry as the system would store it.
    virtual void send(int priority, const char* text) = 0;

protected:
    SysLogSinkInterface() = default;
    SysLogSinkInterface(const SysLogSinkInterface&) = default;
    SysLogSinkInterface& operator=(const SysLogSinkInterface&) = default;
};

// Any thread; may allocate. Opens the system log under a copy of ident (the
// system keeps the pointer it is given, so the copy lives until the process
// ends; a null ident stands for the program's name), with the process id on
// every entry, connected at once, as a user program, and lets every priority
// through.
void open_sys_log(const char* ident);

// Any thread. Sends one entry: module, message, file, function and line,
// separated by blanks. Null texts are sent as empty ones.
void send_sys_log(int priority, const char* module, const char* msg, const char* file,
                  const char* function, long line);

// Main thread, before other threads log. With a sink set, the two calls above
// go to it instead of the system; null gives them back to the system.
void set_sys_log_sink(SysLogSinkInterface* sink) noexcept;

} // namespace tnw::sys::posix
