#pragma once

namespace basic {

class ConfKeyMulti;

// Called on the thread that saves or loads settings (the main thread in the system).
// An object whose state is kept in the settings file under the root key.
class SettingClientInterface
{
public:
    virtual ~SettingClientInterface() = default;

    // Adds the client's keys under root; 0 on success.
    [[nodiscard]] virtual int save_settings(ConfKeyMulti& root) = 0;
    // Finds the client's keys by name under root; 0 on success.
    [[nodiscard]] virtual int load_settings(const ConfKeyMulti& root) = 0;

protected:
    SettingClientInterface() = default;
    SettingClientInterface(const SettingClientInterface&) = default;
    SettingClientInterface& operator=(const SettingClientInterface&) = default;
};

} // namespace basic
