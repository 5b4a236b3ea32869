#include "lib/tnw/util/LogMgr.h"

#include "lib/tnw/sys/CritSec.h"
#include "lib/tnw/sys/Mutex.h"
#include "lib/tnw/sys/ThreadMgr.h"
#include "lib/tnw/sys/TimerReliable.h"
#include "lib/tnw/sys/posix/LogFileOps.h"

#include <charconv>
#include <cstdlib>

namespace tnw::util {

namespace {

// Fixed notation of the largest double (309 digits), the point, three
// decimals and a sign fit.
constexpr int SECONDS_TXT_LEN = 320;

// Seconds with three decimals and always a '.', whatever the process locale
// (a host may switch it to a decimal comma); rounded as printf "%.3f" does.
void format_seconds(char (&txt)[SECONDS_TXT_LEN], double seconds) noexcept
{
    const std::to_chars_result res =
        std::to_chars(txt, txt + SECONDS_TXT_LEN - 1, seconds, std::chars_format::fixed, 3);
    *((res.ec == std::errc()) ? res.ptr : txt) = '\0';
}

} // namespace

LogMgr* LogMgr::_instance_ptr = nullptr;

// Never destroyed: lines may still be written while the process's static
// objects are destroyed at exit.
sys::Mutex& LogMgr::use_instance_mutex()
{
    static sys::Mutex* mutex_ptr = new sys::Mutex;
    return *mutex_ptr;
}

LogMgr& LogMgr::use_instance()
{
    sys::Mutex& mutex = use_instance_mutex();
    sys::CritSec lock(mutex, true);
    if (_instance_ptr == nullptr) {
        _instance_ptr = new LogMgr(mutex);
        // Nothing else would write the lines still cached when the process
        // ends. The writer itself stays alive.
        static const bool registered_flag = (std::atexit(&flush_instance_at_exit) == 0);
        (void)registered_flag;
    }
    return *_instance_ptr;
}

void LogMgr::flush_instance_at_exit() noexcept
{
    try {
        sys::CritSec lock(use_instance_mutex(), true);
        if (_instance_ptr != nullptr) {
            _instance_ptr->flush_no_lock();
        }
    } catch (...) {
        // Nothing to report to at exit.
    }
}

void LogMgr::force_destroy() noexcept
{
    LogMgr* old_ptr = nullptr;
    try {
        sys::CritSec lock(use_instance_mutex(), true);
        old_ptr = _instance_ptr;
        _instance_ptr = nullptr;
    } catch (...) {
        return;
    }
    delete old_ptr;
}

LogMgr::LogMgr(sys::Mutex& mutex)
    : _mutex(mutex), _timer(sys::TimerReliable::use_instance()), _start_time(_timer.get()),
      _fifo(FIFO_CAPACITY)
{
}

LogMgr::~LogMgr()
{
    std::FILE* file = nullptr;
    try {
        sys::CritSec lock(_mutex, true);
        if (_file != nullptr) {
            file = detach_file_no_lock();
        }
    } catch (...) {
        file = _file;
    }
    (void)sys::posix::close_log_file(file);
}

int LogMgr::open_file(const char* path) noexcept
{
    if (path == nullptr) {
        return -1;
    }
    try {
        sys::CritSec lock(_mutex, true);
        // Without a file the cached lines stay, to go out after "Log started".
        if (_file != nullptr) {
            (void)sys::posix::close_log_file(detach_file_no_lock());
        }
        _filename.clear();
        std::string name(path);
        std::FILE* file = sys::posix::create_log_file(path);
        if (file == nullptr) {
            return -1;
        }
        _file = file;
        _filename.swap(name);
        write_cache_no_lock("Log started", "", -1);
        flush_no_lock();
        return 0;
    } catch (...) {
        return -1;
    }
}

int LogMgr::close_file() noexcept
{
    try {
        sys::CritSec lock(_mutex, true);
        return close_file_no_lock();
    } catch (...) {
        return 0;
    }
}

void LogMgr::write(const char* msg, const char* scope, long line_nbr) noexcept
{
    try {
        sys::CritSec lock(_mutex, true);
        write_no_lock(msg, scope, line_nbr);
    } catch (...) {
        // A lock that fails drops the line.
    }
}

void LogMgr::write_cache(const char* msg, const char* scope, long line_nbr) noexcept
{
    try {
        sys::CritSec lock(_mutex, true);
        write_cache_no_lock(msg, scope, line_nbr);
    } catch (...) {
        // A lock that fails drops the line.
    }
}

void LogMgr::flush() noexcept
{
    try {
        sys::CritSec lock(_mutex, true);
        flush_no_lock();
    } catch (...) {
        // The lines stay cached.
    }
}

void LogMgr::use_aux_stream(std::FILE* stream) noexcept
{
    try {
        sys::CritSec lock(_mutex, true);
        flush_no_lock();
        _aux_stream = stream;
    } catch (...) {
        // The stream in use stays.
    }
}

void LogMgr::stop_using_aux_stream() noexcept
{
    use_aux_stream(nullptr);
}

std::string LogMgr::get_filename() const
{
    sys::CritSec lock(_mutex, true);
    return _filename;
}

void LogMgr::write_no_lock(const char* msg, const char* scope, long line_nbr) noexcept
{
    write_cache_no_lock(msg, scope, line_nbr);
    flush_no_lock();
}

void LogMgr::write_cache_no_lock(const char* msg, const char* scope, long line_nbr) noexcept
{
    if (_fifo.is_full()) {
        flush_no_lock();
    }
    if (_line_count >= _max_lines) {
        return;
    }
    long len = 0;
    LogLine* slot = _fifo.use_data_block_write(len);
    if (len <= 0) {
        return;
    }
    slot->set_log(_line_count, _timer.get() - _start_time, msg, scope, line_nbr);
    _fifo.advance_write_pos();
    ++_line_count;
}

void LogMgr::flush_no_lock() noexcept
{
    const long thread_id = sys::ThreadMgr::get_current_thread_id();
    bool written_flag = false;
    while (!_fifo.is_empty()) {
        long len = 0;
        const LogLine& line = *_fifo.use_data_block_read(len);
        if (_file != nullptr) {
            write_line(_file, line, true, thread_id);
        }
        if (_aux_stream != nullptr) {
            write_line(_aux_stream, line, false, thread_id);
        }
        _fifo.advance_read_pos();
        written_flag = true;
    }
    if (written_flag) {
        if (_file != nullptr) {
            std::fflush(_file);
        }
        if (_aux_stream != nullptr) {
            std::fflush(_aux_stream);
        }
    }
}

int LogMgr::close_file_no_lock() noexcept
{
    (void)sys::posix::close_log_file(detach_file_no_lock());
    _filename.clear();
    return 0;
}

void LogMgr::close_file_no_guard_no_lock() noexcept
{
    (void)sys::posix::close_log_file(detach_file_no_lock());
}

void LogMgr::close_file_no_guard() noexcept
{
    std::FILE* file = nullptr;
    try {
        sys::CritSec lock(_mutex, true);
        file = detach_file_no_lock();
    } catch (...) {
        return;
    }
    // No other writer can reach the file any more: closing it (which may
    // wait for the disk) need not hold them up.
    (void)sys::posix::close_log_file(file);
}

std::FILE* LogMgr::detach_file_no_lock() noexcept
{
    flush_no_lock();
    std::FILE* file = _file;
    _file = nullptr;
    return file;
}

void LogMgr::write_line(std::FILE* stream, const LogLine& line, bool full_flag,
                        long thread_id) const noexcept
{
    if (!full_flag) {
        std::fprintf(stream, "%s\t\n", line.get_msg());
        return;
    }
    char seconds_txt[SECONDS_TXT_LEN];
    format_seconds(seconds_txt, line.get_date());
    std::fprintf(stream, "%ld\t%ld\t%s\t%s\t%s", line.get_ord(), thread_id, seconds_txt,
                 line.get_msg(), line.get_scope());
    if (line.get_line_nbr() > 0) {
        std::fprintf(stream, ", %ld", line.get_line_nbr());
    }
    std::fputc('\n', stream);
}

} // namespace tnw::util
