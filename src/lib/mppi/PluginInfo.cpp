#include "lib/mppi/PluginInfo.h"

namespace mppi {

namespace {

constexpr const char COMPANY_NAME_0[] = "Tarnwick";
constexpr const char COMPANY_CODE_0[] = "TnWk";
constexpr const char PLUGIN_NAME_0[] = "Morvanel";

constexpr long make_fcc(const char (&code)[5]) noexcept
{
    long fcc = 0;
    for (int i = 0; i < 4; ++i) {
        fcc = (fcc << 8) | static_cast<unsigned char>(code[i]);
    }
    return fcc;
}

} // namespace

PluginInfo::PluginInfo()
    : _company_fcc_id(make_fcc(COMPANY_CODE_0)), _company_fcc_id_rtas(make_fcc(COMPANY_CODE_0)),
      _company_name(COMPANY_NAME_0),
      _rtas_company_name(std::string(COMPANY_NAME_0) + '\n' + COMPANY_CODE_0 + '\n'),
      _plugin_fcc_id(make_fcc("TwMv")),
      _plugin_path(std::string(COMPANY_NAME_0) + '/' + PLUGIN_NAME_0),
      _plugin_path_suffix_win_vst(" VST2"), _plugin_path_suffix_win_wa2(),
      _plugin_name(PLUGIN_NAME_0), _plugin_type(0), _version_au(0x10600), _version_int(160),
      _version_float(1.6f), _is_au_automation_old(true), _is_preset_shared(true),
      _is_nrpn_erroneous(true)
{
}

PluginInfo::~PluginInfo() = default;

const PluginInfo& PluginInfo::use_instance()
{
    // Built on first use, so a caller in another file's static initialisation
    // never sees it unconstructed.
    static const PluginInfo instance;
    return instance;
}

} // namespace mppi
