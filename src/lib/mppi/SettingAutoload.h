#pragma once

#include <string>

namespace mppi {

class SettingMgr;

// Main thread only; may allocate, reads and writes the preference key store.
// Remembers in the preference key store the settings file the user loaded or saved last and
// whether it is loaded again at start-up, and does that load. The keys live in the list at
// "<preference path>/Autoload/"; every access opens its own handle for the call.
// Owned by its settings manager, between the manager's `init` and `restore`.
class SettingAutoload
{
public:
    static constexpr const char* PREF_DIR_NAME_0 = "Autoload";
    // "1" when the latest file is loaded at start-up; missing, empty or beginning with '0' is off.
    static constexpr const char* AUTOLOAD_KEY_0 = "LatestConfigAutoload";
    // Full path of the settings file loaded or saved last.
    static constexpr const char* FILE_KEY_0 = "LatestConfigFile";

    explicit SettingAutoload(SettingMgr& mgr);
    SettingAutoload(const SettingAutoload&) = delete;
    SettingAutoload& operator=(const SettingAutoload&) = delete;
    virtual ~SettingAutoload();

    // The plug-in's relative key path ("Tarnwick/Morvanel").
    void set_pref_path(const std::string& path);
    // The key list's path: preference path + "/Autoload/".
    [[nodiscard]] std::string make_path() const;

    [[nodiscard]] bool is_latest_config_file_autoloading_enabled() const;
    // Stores "1" or "0"; 0, or throws std::runtime_error when the store cannot be written.
    [[nodiscard]] int enable_latest_config_file_autoloading(bool on);
    // Stores the path; 0, or throws std::runtime_error when the store cannot be written.
    [[nodiscard]] int set_latest_config_file(const std::string& path);
    // Reads the stored path: false when it was read, true (and `path` empty) when it is missing.
    [[nodiscard]] bool check_and_retrieve_latest_config_file(std::string& path) const;
    // The stored path, or an empty text.
    [[nodiscard]] std::string get_latest_config_file() const;
    // Whether a path is stored; the file itself is not looked at.
    [[nodiscard]] bool is_latest_config_file_existing() const;

    // When enabled and a path is stored, the manager's load of that file and its code; else 0.
    [[nodiscard]] int autoload_latest();
    // The start-up load: runs `autoload_latest`, drops its code, and logs and swallows any
    // exception, so that a remembered file never stops the plug-in from starting.
    void execute_autoloading() noexcept;
    // Does nothing; 0.
    [[nodiscard]] int autoload_multi();

private:
    // The value of a key of the list, or false when it is missing.
    [[nodiscard]] bool read_key(const char* key, std::string& value) const;

    SettingMgr& _mgr;
    std::string _pref_path;
};

} // namespace mppi
