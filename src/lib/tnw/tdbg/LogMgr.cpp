#include "lib/tnw/tdbg/LogMgr.h"

#include "lib/tnw/sys/CritSec.h"
#include "lib/tnw/sys/ThreadMgr.h"
#include "lib/tnw/sys/posix/LogFileOps.h"
#include "lib/tnw/sys/posix/SysLog.h"
#include "lib/tnw/sys/posix/UserFolder.h"
#include "lib/tnw/tdbg/ScopeCrop.h"
#include "lib/tnw/txt/out/PrintNa.h"
#include "lib/tnw/util/LogMgr.h"

#include <array>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>

namespace tnw::tdbg {

namespace {

// This file's own path as compiled: file texts are cropped against it. The
// crop marker is searched from the project's source root, the part before
// OWN_FILE, so the crop does not depend on where the checkout lies.
constexpr const char* OWN_PATH = __FILE__;
constexpr std::string_view OWN_FILE = "src/lib/tnw/tdbg/LogMgr.cpp";
static_assert(std::string_view(__FILE__).ends_with(OWN_FILE), "OWN_FILE names this file");

constexpr const char* NO_LOGS_FOLDER_TXT =
    "find_user_folder LOGS failed: neither XDG_STATE_HOME nor HOME is an absolute path\n";

// RECORD_LEN blanks: the tail of n characters is n blanks.
constexpr auto BLANKS = [] {
    std::array<char, LogMgr::RECORD_LEN + 1> txt{};
    txt.fill(' ');
    txt.back() = '\0';
    return txt;
}();

// Cleared (release) when the instance goes at process end, so that a thread
// ending later no longer reaches it; acquire where that is tested.
std::atomic<bool> instance_alive_flag{false};

const char* or_empty(const char* txt_0) noexcept
{
    return (txt_0 == nullptr) ? "" : txt_0;
}

// Never destroyed: set-up may still happen while static objects are
// destroyed at exit.
sys::Mutex& use_setup_mutex()
{
    static sys::Mutex* mutex_ptr = new sys::Mutex;
    return *mutex_ptr;
}

void append_blanks(txt::out::PrintInterface& out, long long nbr)
{
    if (nbr > 0) {
        nbr = (nbr > LogMgr::RECORD_LEN) ? LogMgr::RECORD_LEN : nbr;
        out.cat("%1%").arg(BLANKS.data() + (LogMgr::RECORD_LEN - nbr));
    }
}

// -1: the level sends nothing to the system log.
int find_syslog_priority(Debugger::Level level) noexcept
{
    switch (level) {
    case Debugger::PANIC:
        return sys::posix::SYSLOG_EMERG;
    case Debugger::ERROR:
        return sys::posix::SYSLOG_ERR;
    case Debugger::WARNING:
        return sys::posix::SYSLOG_WARNING;
    case Debugger::INFO:
        return sys::posix::SYSLOG_INFO;
    case Debugger::DEBUG:
    case Debugger::ASSERT:
        return sys::posix::SYSLOG_DEBUG;
    default:
        return -1;
    }
}

} // namespace

// Gives a thread's ordinal back when the thread ends, so that a host which
// keeps making threads cannot grow the thread map without end.
class ThreadExitHook
{
public:
    ThreadExitHook() = default;
    ThreadExitHook(const ThreadExitHook&) = delete;
    ThreadExitHook& operator=(const ThreadExitHook&) = delete;
    ~ThreadExitHook()
    {
        if (_mgr_ptr != nullptr && instance_alive_flag.load(std::memory_order_acquire)) {
            _mgr_ptr->forget_thread(std::this_thread::get_id());
        }
    }

    void arm(LogMgr& mgr) noexcept { _mgr_ptr = &mgr; }

private:
    LogMgr* _mgr_ptr = nullptr;
};

namespace {
thread_local ThreadExitHook thread_exit_hook;
} // namespace

LogMgr::~LogMgr()
{
    instance_alive_flag.store(false, std::memory_order_release);
    _ready_ptr.store(nullptr, std::memory_order_release);
}

LogMgr& LogMgr::use_instance_no_lock()
{
    LogMgr& mgr = util::SingletonBase<LogMgr>::use_instance();
    instance_alive_flag.store(true, std::memory_order_release);
    return mgr;
}

LogMgr& LogMgr::use_instance()
{
    if (LogMgr* mgr_ptr = _ready_ptr.load(std::memory_order_acquire)) {
        return *mgr_ptr;
    }
    sys::CritSec lock(use_setup_mutex(), true);
    LogMgr& mgr = use_instance_no_lock();
    if (!mgr._configured_flag) {
        const Config config;
        mgr.set_mode(MODE_UTIL, &config, "main");
        mgr._configured_flag = true;
    }
    _ready_ptr.store(&mgr, std::memory_order_release);
    return mgr;
}

template <typename Apply>
void LogMgr::configure(Mode mode, Apply&& apply) noexcept
{
    try {
        sys::CritSec lock(use_setup_mutex(), true);
        LogMgr& mgr = use_instance_no_lock();
        if (mgr._mode != mode) {
            apply(mgr);
        }
        mgr._configured_flag = true;
    } catch (...) {
        // The manager stays as it was.
    }
}

void LogMgr::set_mode(Mode mode, const Config* config_ptr, const char* module_name) noexcept
{
    if (config_ptr != nullptr) {
        _config = *config_ptr;
    }
    const char* name_0 = or_empty(module_name);
    std::size_t len = 0;
    while (len < static_cast<std::size_t>(MODULE_NAME_LEN) && name_0[len] != '\0') {
        ++len;
    }
    std::memcpy(_module_name, name_0, len);
    _module_name[len] = '\0';
    _mode = mode;
}

void LogMgr::create_as_util(Config config) noexcept
{
    configure(MODE_UTIL, [&config](LogMgr& mgr) { mgr.set_mode(MODE_UTIL, &config, "main"); });
}

void LogMgr::create_as_printf(Config config) noexcept
{
    configure(MODE_PRINTF, [&config](LogMgr& mgr) { mgr.set_mode(MODE_PRINTF, &config, "main"); });
}

void LogMgr::create_as_win32_debugger(Config config) noexcept
{
    configure(MODE_WIN32, [&config](LogMgr& mgr) { mgr.set_mode(MODE_WIN32, &config, "main"); });
}

void LogMgr::create_as_syslog(const char* ident) noexcept
{
    configure(MODE_SYSLOG, [ident](LogMgr& mgr) {
        mgr.set_mode(MODE_SYSLOG, nullptr, "main");
        sys::posix::open_sys_log(ident);
    });
}

void LogMgr::create_as_plugin(const char* name, PluginCallback callback) noexcept
{
    configure(MODE_PLUGIN, [name, callback](LogMgr& mgr) {
        mgr._plugin_callback = callback;
        mgr.set_mode(MODE_PLUGIN, nullptr, name);
    });
}

void LogMgr::create_as_util_library_logs(const char* folder, const char* filename,
                                         Config config) noexcept
{
    create_as_util(config);
    try {
        const std::string logs = sys::posix::find_user_folder(sys::posix::UserFolder::LOGS);
        if (logs.empty()) {
            // A diagnostic: the standard output may carry a program's data.
            (void)std::fputs(NO_LOGS_FOLDER_TXT, stderr);
            return;
        }
        const std::string dir = logs + "/" + or_empty(folder);
        // A failure shows as the file that cannot be opened.
        (void)sys::posix::make_folders(dir);
        const std::string path = dir + "/" + or_empty(filename);
        (void)util::LogMgr::use_instance().open_file(path.c_str());
    } catch (...) {
        // No log file.
    }
}

void LogMgr::set_scope_crop(const char* marker) noexcept
{
    if (marker == nullptr) {
        return;
    }
    try {
        sys::CritSec lock(use_setup_mutex(), true);
        LogMgr& mgr = use_instance_no_lock();
        const long crop = find_scope_crop(OWN_PATH, OWN_FILE, marker);
        if (crop >= 0) {
            mgr._scope_crop.store(crop, std::memory_order_relaxed);
        }
    } catch (...) {
        // Nothing changes.
    }
}

void LogMgr::write(Debugger::Level level, const char* msg, const char* file, const char* function,
                   long line) noexcept
{
    dispatch(level, msg, file, function, line, false);
}

void LogMgr::write_cache(Debugger::Level level, const char* msg, const char* file,
                         const char* function, long line) noexcept
{
    dispatch(level, msg, file, function, line, true);
}

void LogMgr::write_dump_abort(Debugger::Level level, const char* msg, const char* file,
                              const char* function, long line) noexcept
{
    dispatch(level, msg, file, function, line, false);
    // abort() drops what standard output still buffers.
    std::fflush(stdout);
    sys::ThreadMgr::sleep(1.0);
    std::abort();
}

void LogMgr::indent(int delta) noexcept
{
    _indent.fetch_add(delta, std::memory_order_relaxed);
}

int LogMgr::execute_command(int cmd, void* data) noexcept
{
    if (cmd != CMD_WRITE || data == nullptr) {
        return -1;
    }
    try {
        LogMgr& mgr = use_instance();
        const WriteCmd& rec = *static_cast<const WriteCmd*>(data);
        switch (mgr._mode) {
        case MODE_PLUGIN:
            return (mgr._plugin_callback == nullptr) ? -1 : mgr._plugin_callback(cmd, data);
        case MODE_UTIL:
        case MODE_SYSLOG:
        case MODE_PRINTF:
            mgr.send(rec.level, or_empty(rec.msg), or_empty(rec.file), or_empty(rec.function),
                     rec.line, or_empty(rec.module), rec.cache_flag != 0);
            return 0;
        case MODE_NONE:
        case MODE_WIN32:
            return 0;
        }
        return -2;
    } catch (...) {
        return -1;
    }
}

void LogMgr::escape_slash(std::string& text)
{
    std::string escaped;
    escaped.reserve(text.size());
    for (const char c : text) {
        escaped += c;
        if (c == '/') {
            escaped += '/';
        }
    }
    text.swap(escaped);
}

void LogMgr::dispatch(Debugger::Level level, const char* msg, const char* file,
                      const char* function, long line, bool cache_flag) noexcept
{
    try {
        msg = or_empty(msg);
        file = crop_file(or_empty(file));
        function = or_empty(function);
        switch (_mode) {
        case MODE_UTIL:
        case MODE_SYSLOG:
        case MODE_PRINTF:
            send(level, msg, file, function, line, _module_name, cache_flag);
            break;
        case MODE_PLUGIN:
            if (_plugin_callback != nullptr) {
                WriteCmd cmd;
                cmd.module = _module_name;
                cmd.level = level;
                cmd.msg = msg;
                cmd.file = file;
                cmd.function = function;
                cmd.line = static_cast<std::int32_t>(line);
                cmd.cache_flag = cache_flag ? 1 : 0;
                (void)_plugin_callback(CMD_WRITE, &cmd);
            }
            break;
        case MODE_NONE:
        case MODE_WIN32:
            break;
        }
    } catch (...) {
        // A record that cannot be sent is dropped: logging never fails its caller.
    }
}

void LogMgr::send(Debugger::Level level, const char* msg, const char* file, const char* function,
                  long line, const char* module, bool cache_flag)
{
    char text[RECORD_LEN + 1];
    txt::out::PrintNa out(text, RECORD_LEN);
    switch (_mode) {
    case MODE_UTIL: {
        write_str(out, false, level, msg, file, function, line, module);
        util::LogMgr& writer = util::LogMgr::use_instance();
        if (cache_flag) {
            writer.write_cache(text, "", -1);
        } else {
            writer.write(text, "", -1);
        }
        break;
    }
    case MODE_SYSLOG: {
        const int priority = find_syslog_priority(level);
        if (priority >= 0) {
            sys::posix::send_sys_log(priority, module, msg, file, function, line);
        }
        break;
    }
    case MODE_PRINTF:
        write_str(out, true, level, msg, file, function, line, module);
        std::printf("%s", text);
        break;
    default:
        break;
    }
}

void LogMgr::write_str(txt::out::PrintInterface& out, bool line_feed, Debugger::Level level,
                       const char* msg, const char* file, const char* function, long line,
                       const char* module)
{
    out.print("");
    if (_config.indent_threads) {
        append_blanks(out,
                      static_cast<long long>(find_thread_ordinal()) * _config.thread_indent_spaces);
    }
    append_blanks(out, _indent.load(std::memory_order_relaxed));
    if (_config.show_module) {
        out.cat("%1%\t").arg(module);
    }
    if (_config.show_level) {
        out.cat("%1%\t").arg(Debugger::get_level_name(level));
    }
    out.cat("%1%\t").arg(msg);
    if (_config.show_file) {
        out.cat("%1%\t").arg(file);
    }
    if (_config.show_function) {
        out.cat("%1%\t").arg(function);
    }
    if (_config.show_line) {
        out.cat("%1%\t").arg(line);
    }
    if (line_feed) {
        out.cat("\n");
    }
}

const char* LogMgr::crop_file(const char* file) const noexcept
{
    const long crop = _scope_crop.load(std::memory_order_relaxed);
    if (crop > 0 && std::strncmp(file, OWN_PATH, static_cast<std::size_t>(crop)) == 0) {
        return file + crop;
    }
    return file;
}

int LogMgr::find_thread_ordinal()
{
    try {
        const std::thread::id id = std::this_thread::get_id();
        sys::CritSec lock(_thread_mutex, true);
        const auto found = _thread_map.find(id);
        if (found != _thread_map.end()) {
            return found->second;
        }
        const bool reuse_flag = !_free_ordinals.empty();
        const int ordinal = reuse_flag ? *_free_ordinals.begin() : _thread_count;
        _thread_map.emplace(id, ordinal);
        if (reuse_flag) {
            _free_ordinals.erase(_free_ordinals.begin());
        } else {
            ++_thread_count;
        }
        thread_exit_hook.arm(*this);
        return ordinal;
    } catch (...) {
        return 0;
    }
}

void LogMgr::forget_thread(std::thread::id id) noexcept
{
    try {
        sys::CritSec lock(_thread_mutex, true);
        const auto found = _thread_map.find(id);
        if (found != _thread_map.end()) {
            const int ordinal = found->second;
            _thread_map.erase(found);
            _free_ordinals.insert(ordinal);
        }
    } catch (...) {
        // The ordinal is not handed out again.
    }
}

} // namespace tnw::tdbg
