#pragma once

#include "lib/tnw/mem/LockFreeRingFifo.h"
#include "lib/tnw/util/LogLine.h"

#include <cstdio>
#include <string>

namespace tnw::sys {
class Mutex;
class TimerReliable;
} // namespace tnw::sys

namespace tnw::util {

// Any thread except the audio thread: the writer of the process's log file.
// Not for the audio thread because every operation, write_cache included,
// takes the writer's lock, and a write_cache that finds the cache full writes
// the file on the caller's thread. Caching a line itself allocates nothing.
//
// Each line gets a running number (0, 1, ... across files; lines beyond
// MAX_LINES are dropped), the seconds since the writer was made, and, when
// written, the id of the thread that writes it. A file line reads: number,
// thread id, seconds with three decimals, message and scope separated by
// tabs, then ", " and the source line when that is above 0. A second stream
// gets only the message and a tab. Lines wait in a ring of FIFO_CAPACITY - 1
// slots until a write, a flush or a full ring sends them out.
//
// Any thread may call every operation; all of them serialise on one lock,
// except needs_flush. The _no_lock variants are for callers that already
// hold use_mutex(). Nothing here throws: a failure inside an operation ends it
// early and releases the lock.
class LogMgr
{
public:
    static constexpr long MAX_LINES = 1'000'000;
    static constexpr long FIFO_CAPACITY = 64;

    // Any thread. The process-wide writer, made on the first call under its
    // own lock and kept until the process ends; lines still cached then are
    // written once at exit. May throw when it cannot be made.
    [[nodiscard]] static LogMgr& use_instance();
    // Any thread. Destroys the process-wide writer; no other thread may be
    // using it.
    static void force_destroy() noexcept;

    // A writer of its own, serialised on mutex, which must outlive it. May
    // throw when the cache cannot be allocated.
    explicit LogMgr(sys::Mutex& mutex);
    LogMgr(const LogMgr& other) = delete;
    LogMgr& operator=(const LogMgr& other) = delete;
    // Flushes and closes the file.
    virtual ~LogMgr();

    // Closes the current file (its cached lines written first) and creates
    // path, emptying an existing file; the line "Log started" then goes out
    // with every cached line. 0, or -1 when the file cannot be created (the
    // writer then has no file) or path is null (nothing changes).
    [[nodiscard]] int open_file(const char* path) noexcept;
    // Writes the cached lines, closes the file and forgets its path. 0.
    [[nodiscard]] int close_file() noexcept;

    // Caches the line and writes every cached line at once. Null texts are
    // empty; a line_nbr of 0 or less means none.
    void write(const char* msg, const char* scope, long line_nbr) noexcept;
    // Caches the line only; it goes out with a later write or flush, or when
    // the ring is full.
    void write_cache(const char* msg, const char* scope, long line_nbr) noexcept;
    // Writes every cached line to the file and the second stream; with
    // neither, the lines are dropped.
    void flush() noexcept;

    // Flushes, then sends later lines to stream as well (null: to none). The
    // stream stays the caller's: it is never closed here.
    void use_aux_stream(std::FILE* stream) noexcept;
    // Flushes, then stops sending to the second stream.
    void stop_using_aux_stream() noexcept;

    // Any thread, without the lock: whether the cache is full.
    [[nodiscard]] bool needs_flush() const noexcept { return _fifo.is_full(); }
    // The open file's path, empty when none. May throw std::bad_alloc.
    [[nodiscard]] std::string get_filename() const;
    [[nodiscard]] sys::Mutex& use_mutex() const noexcept { return _mutex; }

    // The caller holds use_mutex().
    void write_no_lock(const char* msg, const char* scope, long line_nbr) noexcept;
    void write_cache_no_lock(const char* msg, const char* scope, long line_nbr) noexcept;
    void flush_no_lock() noexcept;
    [[nodiscard]] int close_file_no_lock() noexcept;
    // Flushes and closes the file without locking; keeps the path.
    void close_file_no_guard_no_lock() noexcept;
    // The caller does not hold the lock. Flushes and detaches the file under
    // the lock, then closes it outside; keeps the path.
    void close_file_no_guard() noexcept;

private:
    [[nodiscard]] static sys::Mutex& use_instance_mutex();
    static void flush_instance_at_exit() noexcept;

    // Flushes and takes the file away from the writer, which then has none.
    [[nodiscard]] std::FILE* detach_file_no_lock() noexcept;
    void write_line(std::FILE* stream, const LogLine& line, bool full_flag,
                    long thread_id) const noexcept;

    static LogMgr* _instance_ptr;

    sys::Mutex& _mutex;
    const sys::TimerReliable& _timer;
    double _start_time;
    long _max_lines = MAX_LINES;
    long _line_count = 0;
    mem::LockFreeRingFifo<LogLine> _fifo;
    std::FILE* _file = nullptr;
    std::string _filename;
    std::FILE* _aux_stream = nullptr;
};

} // namespace tnw::util
