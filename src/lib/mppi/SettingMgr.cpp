#include "lib/mppi/SettingMgr.h"

#include "lib/basic/ConfKeyData.h"
#include "lib/mppi/DspInterface.h"
#include "lib/mppi/SettingAutoload.h"

#include <charconv>
#include <stdexcept>

namespace mppi {

namespace {

// The version number with two decimals and a point, whatever the process locale.
std::string print_version(double version)
{
    char text[64];
    const auto res = std::to_chars(text, text + sizeof(text), version, std::chars_format::fixed, 2);
    return res.ec == std::errc() ? std::string(text, res.ptr) : std::string();
}

} // namespace

SettingMgr::SettingMgr() = default;

SettingMgr::~SettingMgr() = default;

int SettingMgr::init(DspInterface& dsp)
{
    _dsp_ptr = &dsp;
    _section_name = basic::ConfKeyInterface::mangle_name(dsp.get_string_property("plugin_name")) +
                    SECTION_SUFFIX_0;
    _version_txt = print_version(dsp.get_property("plugin_version"));
    _autoload_uptr = std::make_unique<SettingAutoload>(*this);
    _autoload_uptr->set_pref_path(dsp.get_string_property("manufacturer") + "/" +
                                  dsp.get_string_property("plugin_name"));
    return 0;
}

void SettingMgr::restore()
{
    _autoload_uptr.reset();
    _section_name.clear();
    _version_txt.clear();
}

SettingAutoload& SettingMgr::use_autoload()
{
    if (!_autoload_uptr) {
        throw_no_autoload();
    }
    return *_autoload_uptr;
}

const SettingAutoload& SettingMgr::use_autoload() const
{
    if (!_autoload_uptr) {
        throw_no_autoload();
    }
    return *_autoload_uptr;
}

void SettingMgr::throw_no_autoload()
{
    throw std::runtime_error("mppi::SettingMgr::use_autoload() : Not initialised.");
}

void SettingMgr::do_load_settings_pre(const basic::ConfKeyMulti& root,
                                      const std::string& /*path*/, int& code)
{
    if (code == 0 && root.get_name() != _section_name) {
        code = ERR_OTHER_PLUGIN;
    }
}

void SettingMgr::do_save_settings_pre(basic::ConfKeyMulti& root, const std::string& /*path*/,
                                      int& code)
{
    if (code != 0) {
        return;
    }
    root.set_name(_section_name);
    root.add_unique(basic::ConfKeyData(VERSION_KEY_0, _version_txt));
}

} // namespace mppi
