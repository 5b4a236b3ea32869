#include "lib/mppi/SettingAutoload.h"

#include "lib/mppi/SettingMgr.h"
#include "lib/sys/PersistentKeyList.h"
#include "lib/tnw/tdbg/LogMgr.h"
#include "lib/tnw/txt/out/PrintNa.h"

#include <exception>

namespace mppi {

namespace {

// Length of a log message, without its terminating zero.
constexpr long LOG_MSG_LEN = 1023;

// Records at ERROR why the start-up load ended; logging never throws out of here.
void log_autoload_failure(const char* reason, const char* function, long line) noexcept
{
    try {
        char msg[LOG_MSG_LEN + 1] = {};
        tnw::txt::out::PrintNa print(msg, LOG_MSG_LEN);
        print.print("Autoload of the latest settings file failed: %1%").arg(reason);
        tnw::tdbg::LogMgr::use_instance().write(tnw::tdbg::Debugger::ERROR, msg,
                                                __FILE__ ", " __DATE__, function, line);
    } catch (...) {
        // No log to be had: the failure goes unrecorded, start-up goes on all the same.
    }
}

} // namespace

SettingAutoload::SettingAutoload(SettingMgr& mgr) : _mgr(mgr) {}

SettingAutoload::~SettingAutoload() = default;

void SettingAutoload::set_pref_path(const std::string& path)
{
    _pref_path = path;
}

std::string SettingAutoload::make_path() const
{
    return _pref_path + "/" + PREF_DIR_NAME_0 + "/";
}

bool SettingAutoload::read_key(const char* key, std::string& value) const
{
    return sys::PersistentKeyList(make_path(), false).get_key(key, value) == 0;
}

bool SettingAutoload::is_latest_config_file_autoloading_enabled() const
{
    std::string value;
    return read_key(AUTOLOAD_KEY_0, value) && !value.empty() && value[0] != '0';
}

int SettingAutoload::enable_latest_config_file_autoloading(bool on)
{
    return sys::PersistentKeyList(make_path(), true).set_key(AUTOLOAD_KEY_0, on ? "1" : "0");
}

int SettingAutoload::set_latest_config_file(const std::string& path)
{
    return sys::PersistentKeyList(make_path(), true).set_key(FILE_KEY_0, path);
}

bool SettingAutoload::check_and_retrieve_latest_config_file(std::string& path) const
{
    path.clear();
    return !read_key(FILE_KEY_0, path);
}

std::string SettingAutoload::get_latest_config_file() const
{
    std::string path;
    static_cast<void>(check_and_retrieve_latest_config_file(path));
    return path;
}

bool SettingAutoload::is_latest_config_file_existing() const
{
    std::string path;
    return read_key(FILE_KEY_0, path);
}

int SettingAutoload::autoload_latest()
{
    if (!is_latest_config_file_autoloading_enabled()) {
        return 0;
    }
    std::string path;
    if (check_and_retrieve_latest_config_file(path)) {
        return 0;
    }
    return _mgr.load_settings(path);
}

void SettingAutoload::execute_autoloading() noexcept
{
    // A remembered file must never stop the plug-in from starting, in this session or any
    // later one: whatever a client or an allocation throws ends the load here.
    try {
        static_cast<void>(autoload_latest());
    } catch (const std::exception& e) {
        log_autoload_failure(e.what(), __func__, __LINE__);
    } catch (...) {
        log_autoload_failure("Unknown exception.", __func__, __LINE__);
    }
}

int SettingAutoload::autoload_multi()
{
    return 0;
}

} // namespace mppi
