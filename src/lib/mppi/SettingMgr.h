#pragma once

#include "lib/basic/SettingMgrInterface.h"
#include "lib/mppi/Fwd.h"
#include "lib/mppi/SettingAutoload.h"

#include <memory>
#include <string>

namespace mppi {

// Main thread only; may allocate.
// The effect's settings-file manager: names the file's root section after the plug-in
// ("<name>_config_section"), writes a "version" entry ahead of the clients' keys, and refuses
// a file whose root section belongs to another plug-in. It owns the autoload object that
// remembers the latest settings file in the preference key store.
// Lifecycle: `init` before any load, save or `use_autoload`; `restore` undoes it. Registered
// clients stay registered for the manager's life.
class SettingMgr : public basic::SettingMgrInterface
{
public:
    // The file's root section is not this plug-in's.
    static constexpr int ERR_OTHER_PLUGIN = -3071;
    static constexpr const char* SECTION_SUFFIX_0 = "_config_section";
    static constexpr const char* VERSION_KEY_0 = "version";

    SettingMgr();
    ~SettingMgr() override;

    // Keeps the effect (which must outlive the manager's use), takes the section name and the
    // version text from its properties "plugin_name" and "plugin_version", and makes a new
    // autoload object on the path "<manufacturer>/<plugin_name>"; 0.
    [[nodiscard]] int init(DspInterface& dsp);
    // Deletes the autoload object and empties the section name and the version text.
    void restore();

    // The autoload object; throws std::runtime_error outside `init` ... `restore`.
    [[nodiscard]] SettingAutoload& use_autoload();
    [[nodiscard]] const SettingAutoload& use_autoload() const;

protected:
    // Refuses a root whose name differs from the section name in any byte (-3071), so that no
    // client loads anything. The "version" entry is not examined.
    void do_load_settings_pre(const basic::ConfKeyMulti& root, const std::string& path,
                              int& code) override;
    // Names the root after the section and puts the "version" entry first.
    void do_save_settings_pre(basic::ConfKeyMulti& root, const std::string& path,
                              int& code) override;

private:
    [[noreturn]] static void throw_no_autoload();

    DspInterface* _dsp_ptr = nullptr;
    std::string _section_name;
    std::string _version_txt;
    std::unique_ptr<SettingAutoload> _autoload_uptr;
};

} // namespace mppi
