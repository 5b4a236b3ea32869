#pragma once

#include "lib/tnw/sys/Mutex.h"
#include "lib/tnw/tdbg/Debugger.h"
#include "lib/tnw/util/SingletonBase.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <thread>

namespace tnw::txt::out {
class PrintInterface;
}

namespace tnw::tdbg {

// Any thread except the audio thread: the single entry point for diagnostic
// records of every subsystem. Not for the audio thread because a record is
// first formatted whole with the message formatter (several times the cost of
// snprintf), may lock the thread map, and in util mode takes the log file
// writer's lock and may write the file on the caller's thread.
//
// A record is a level, a message, the caller's source file (path and compile
// date joined by ", "), its function and its line. It is formatted after the
// Config and sent to the destination of the mode: the log file writer (util),
// the system log, standard output (printf), a callback of a host module
// (plugin), or nowhere.
//
// Lifecycle: made on first use (use_instance, execute_command or a create_as_
// operation), kept until the process ends. The mode is chosen at start-up,
// before other threads write: mode, config, module name and callback are read
// without a lock. Writing never throws.
class LogMgr : private util::SingletonBase<LogMgr>
{
public:
    enum Mode : int
    {
        MODE_NONE = -1,
        MODE_UTIL = 0,
        MODE_SYSLOG = 1,
        MODE_PRINTF = 2,
        MODE_WIN32 = 3, // a debugger console of another platform: writes nothing here
        MODE_PLUGIN = 4
    };

    enum Cmd : int
    {
        CMD_WRITE = 1
    };

    // What a record shows besides its message.
    struct Config
    {
        bool show_level = true;
        bool show_file = true;
        bool show_function = true;
        bool show_line = true;
        bool show_module = true;
        // Each thread's records are indented by its ordinal times
        // thread_indent_spaces blanks (the first thread seen: none).
        bool indent_threads = false;
        int thread_indent_spaces = 0;
    };

    // The record of CMD_WRITE exchanged with a logging callback, in a fixed
    // memory layout shared with the module at the other end. Null texts read
    // as empty ones.
    struct WriteCmd
    {
        const char* module = nullptr;
        Debugger::Level level = Debugger::OOPS;
        std::int32_t reserved_1 = 0;
        const char* msg = nullptr;
        const char* file = nullptr; // already cropped
        const char* function = nullptr;
        std::int32_t line = 0;
        std::uint8_t cache_flag = 0; // non-zero: the line may be cached
        std::uint8_t reserved_2[3] = {0, 0, 0};
    };

    using PluginCallback = int (*)(int cmd, void* data);

    // Longest module name kept.
    static constexpr long MODULE_NAME_LEN = 255;
    // Longest formatted record of the util and printf modes.
    static constexpr long RECORD_LEN = 1023;

    ~LogMgr() override;
    LogMgr(const LogMgr& other) = delete;
    LogMgr& operator=(const LogMgr& other) = delete;

    // Any thread. The instance; a fresh process gets util mode with the
    // default Config. May throw when the instance cannot be made.
    [[nodiscard]] static LogMgr& use_instance();

    // Start-up, before other threads write. Each makes the instance when
    // needed, then switches to its mode unless that mode is already in force
    // (the config included stays then). Failures are dropped.
    static void create_as_util(Config config) noexcept;
    static void create_as_printf(Config config) noexcept;
    static void create_as_win32_debugger(Config config) noexcept;
    // Keeps the config; opens the system log under a copy of ident.
    static void create_as_syslog(const char* ident) noexcept;
    // Keeps the config. The module name is name cut to MODULE_NAME_LEN
    // characters; with a null callback records are sent nowhere.
    static void create_as_plugin(const char* name, PluginCallback callback) noexcept;
    // create_as_util, then opens the log file filename in the subfolder folder
    // of the user's Logs folder, both folders made when missing. Without a
    // Logs folder it prints why on the standard error and opens no file.
    static void create_as_util_library_logs(const char* folder, const char* filename,
                                            Config config) noexcept;
    // Every file text that starts with the same leading part as this file's
    // own source path, up to and including the first occurrence of marker
    // from the project's source root on (find_scope_crop), loses that part. A
    // null marker, or one not in the path, changes nothing.
    static void set_scope_crop(const char* marker) noexcept;

    // Any thread. Sends the record; util mode writes the file at once.
    void write(Debugger::Level level, const char* msg, const char* file, const char* function,
               long line) noexcept;
    // Any thread. Util mode only caches the line; a callback gets cache_flag 1.
    void write_cache(Debugger::Level level, const char* msg, const char* file, const char* function,
                     long line) noexcept;
    // Any thread. write, then a one-second pause and abort().
    [[noreturn]] void write_dump_abort(Debugger::Level level, const char* msg, const char* file,
                                       const char* function, long line) noexcept;
    // Any thread. Adds delta to the blanks put in front of every record
    // (below 0 counts as 0).
    void indent(int delta) noexcept;

    // Any thread. Receiving end of a logging callback: routes the WriteCmd at
    // data into this process's log (its file text not cropped, its module name
    // used). 0; -1 for another command or null data; in plugin mode the
    // result of the own callback (-1 without one).
    [[nodiscard]] static int execute_command(int cmd, void* data) noexcept;

    // Doubles every '/' in text. May throw std::bad_alloc.
    static void escape_slash(std::string& text);

    [[nodiscard]] Mode get_mode() const noexcept { return _mode; }
    [[nodiscard]] Config get_config() const noexcept { return _config; }
    [[nodiscard]] const char* get_module_name() const noexcept { return _module_name; }

private:
    friend class util::SingletonBase<LogMgr>;
    friend class ThreadExitHook;

    LogMgr() = default;

    [[nodiscard]] static LogMgr& use_instance_no_lock();
    // Under the set-up lock: makes the instance and, unless mode is already in
    // force, lets apply switch it.
    template <typename Apply>
    static void configure(Mode mode, Apply&& apply) noexcept;
    void set_mode(Mode mode, const Config* config_ptr, const char* module_name) noexcept;

    void dispatch(Debugger::Level level, const char* msg, const char* file, const char* function,
                  long line, bool cache_flag) noexcept;
    // Util, syslog and printf modes.
    void send(Debugger::Level level, const char* msg, const char* file, const char* function,
              long line, const char* module, bool cache_flag);
    void write_str(txt::out::PrintInterface& out, bool line_feed, Debugger::Level level,
                   const char* msg, const char* file, const char* function, long line,
                   const char* module);
    [[nodiscard]] const char* crop_file(const char* file) const noexcept;
    [[nodiscard]] int find_thread_ordinal();
    void forget_thread(std::thread::id id) noexcept;

    Mode _mode = MODE_NONE;
    Config _config;
    char _module_name[MODULE_NAME_LEN + 1] = {};
    // Relaxed: a count of blanks that publishes nothing else.
    std::atomic<int> _indent{0};
    // Relaxed: a length into this file's own path, which never changes.
    std::atomic<long> _scope_crop{0};
    PluginCallback _plugin_callback = nullptr;
    // A create_as_ operation has chosen the mode (under the set-up lock).
    bool _configured_flag = false;

    // Guards the four members below.
    sys::Mutex _thread_mutex;
    int _thread_count = 0;
    // Threads that have written with indent_threads on and not yet ended.
    std::map<std::thread::id, int> _thread_map;
    // Ordinals of ended threads, handed out again before new ones.
    std::set<int> _free_ordinals;

    // Set (release) once the instance is made and its mode chosen.
    static inline std::atomic<LogMgr*> _ready_ptr{nullptr};
};

static_assert(sizeof(void*) == 8, "the callback record is laid out for 64-bit modules");
static_assert(offsetof(LogMgr::WriteCmd, module) == 0);
static_assert(offsetof(LogMgr::WriteCmd, level) == 8 && sizeof(Debugger::Level) == 4);
static_assert(offsetof(LogMgr::WriteCmd, msg) == 16);
static_assert(offsetof(LogMgr::WriteCmd, file) == 24);
static_assert(offsetof(LogMgr::WriteCmd, function) == 32);
static_assert(offsetof(LogMgr::WriteCmd, line) == 40);
static_assert(offsetof(LogMgr::WriteCmd, cache_flag) == 44);
static_assert(sizeof(LogMgr::WriteCmd) == 48);

} // namespace tnw::tdbg
