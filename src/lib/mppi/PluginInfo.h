#pragma once

#include <cstdint>
#include <string>

namespace mppi {

// Which plug-in this is: the maker's and the plug-in's four-character codes,
// their names, the relative data path, the version in the forms hosts want,
// and three behaviour flags. One constant record for the whole process.
//
// Any thread; read-only. The record exists from its first use (at the latest
// during static initialisation of whoever asks first) to the end of the
// process and never changes.
class PluginInfo
{
public:
    PluginInfo(const PluginInfo&) = delete;
    PluginInfo& operator=(const PluginInfo&) = delete;
    virtual ~PluginInfo();

    // Any thread: the one record of the process, the same object every time.
    [[nodiscard]] static const PluginInfo& use_instance();

    // Four-character codes hold the first character in the most significant
    // of the four low bytes.
    [[nodiscard]] long company_fcc_id() const noexcept { return _company_fcc_id; }
    [[nodiscard]] long company_fcc_id_rtas() const noexcept { return _company_fcc_id_rtas; }
    [[nodiscard]] const std::string& company_name() const noexcept { return _company_name; }
    [[nodiscard]] const std::string& rtas_company_name() const noexcept
    {
        return _rtas_company_name;
    }
    // The host's unique plug-in id.
    [[nodiscard]] long plugin_fcc_id() const noexcept { return _plugin_fcc_id; }
    // The plug-in's data folder relative to the base folder.
    [[nodiscard]] const std::string& plugin_path() const noexcept { return _plugin_path; }
    [[nodiscard]] const std::string& plugin_path_suffix_win_vst() const noexcept
    {
        return _plugin_path_suffix_win_vst;
    }
    [[nodiscard]] const std::string& plugin_path_suffix_win_wa2() const noexcept
    {
        return _plugin_path_suffix_win_wa2;
    }
    [[nodiscard]] const std::string& plugin_name() const noexcept { return _plugin_name; }
    [[nodiscard]] std::int32_t plugin_type() const noexcept { return _plugin_type; }
    [[nodiscard]] long version_au() const noexcept { return _version_au; }
    [[nodiscard]] long version_int() const noexcept { return _version_int; }
    [[nodiscard]] float version_float() const noexcept { return _version_float; }
    [[nodiscard]] bool is_au_automation_old() const noexcept { return _is_au_automation_old; }
    // True: the plug-in's data lives in the base folder of all users.
    [[nodiscard]] bool is_preset_shared() const noexcept { return _is_preset_shared; }
    [[nodiscard]] bool is_nrpn_erroneous() const noexcept { return _is_nrpn_erroneous; }

private:
    PluginInfo();

    const long _company_fcc_id;
    const long _company_fcc_id_rtas;
    const std::string _company_name;
    const std::string _rtas_company_name;
    const long _plugin_fcc_id;
    const std::string _plugin_path;
    const std::string _plugin_path_suffix_win_vst;
    const std::string _plugin_path_suffix_win_wa2;
    const std::string _plugin_name;
    const std::int32_t _plugin_type;
    const long _version_au;
    const long _version_int;
    const float _version_float;
    const bool _is_au_automation_old;
    const bool _is_preset_shared;
    const bool _is_nrpn_erroneous;
};

} // namespace mppi
