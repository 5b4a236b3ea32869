#include "lib/mppi/mppi_vst2cocoa/Vst2Main.h"

#include "lib/mppi/BankManager.h"
#include "lib/mppi/DspInterface.h"
#include "lib/mppi/GuiInterface.h"
#include "lib/mppi/PluginInfo.h"
#include "lib/mppi/mppi_vst2cocoa/HostDspVst2Cocoa.h"
#include "lib/mppi/mppi_vst2cocoa/HostGuiVst2Cocoa.h"
#include "lib/mppi/mppi_vst2cocoa/Vst2Plugin.h"
#include "lib/sys/ResourceManager.h"
#include "lib/tnw/sys/TimerFine.h"
#include "lib/tnw/sys/posix/UserFolder.h"
#include "lib/tnw/tdbg/LogMgr.h"
#include "lib/tnw/txt/out/PrintNa.h"

#include <exception>
#include <filesystem>
#include <system_error>

namespace mppi {

namespace {

constexpr long LOG_MSG_LEN = 1023;
#define VST2_MAIN_FILE_0 __FILE__ ", " __DATE__

// One record of the start-up; logging never throws out of here.
template <typename... Args>
void log_line(tnw::tdbg::Debugger::Level level, const char* function, long line, const char* format,
              const Args&... args) noexcept
{
    try {
        char msg[LOG_MSG_LEN + 1] = {};
        tnw::txt::out::PrintNa print(msg, LOG_MSG_LEN);
        auto& out = print.print(format);
        (out.arg(args), ...);
        tnw::tdbg::LogMgr::use_instance().write(level, msg, VST2_MAIN_FILE_0, function, line);
    } catch (...) {
        // No log to be had: start-up goes on without the record.
    }
}

#define VST2_MAIN_LOG(level, ...)                                                                  \
    log_line(tnw::tdbg::Debugger::level, __func__, __LINE__, __VA_ARGS__)

} // namespace

Vst2EffectFactoryInterface::~Vst2EffectFactoryInterface() = default;

std::string Vst2Main::make_plugin_dir()
{
    using tnw::sys::posix::UserFolder;
    const PluginInfo& info = PluginInfo::use_instance();
    const std::string base =
        info.is_preset_shared()
            ? tnw::sys::posix::find_first_system_folder("XDG_DATA_DIRS", "/usr/local/share")
            : tnw::sys::posix::find_user_folder(UserFolder::DOCUMENTS);
    return base + "/" + info.plugin_path();
}

bool Vst2Main::find_bundle(const std::string& bundle_path)
{
    std::error_code ec;
    const std::filesystem::path path = std::filesystem::absolute(bundle_path, ec);
    if (bundle_path.empty() || ec || !std::filesystem::is_directory(path, ec)) {
        VST2_MAIN_LOG(ERROR, "Bundle path search failed !");
        return false;
    }
    const std::string path_txt = path.lexically_normal().string();
    const std::string dir_txt = path.lexically_normal().parent_path().string();
    VST2_MAIN_LOG(INFO, "Plugin path = %1%", path_txt.c_str());
    VST2_MAIN_LOG(INFO, "Plugin dir = %1%", dir_txt.c_str());
    if (PluginInfo::use_instance().is_preset_shared()) {
        VST2_MAIN_LOG(INFO, "***shared presets activated***");
    }
    sys::ResourceManager::use_instance().set_folder(path_txt + "/Contents/Resources");
    return true;
}

std::unique_ptr<Vst2Plugin> Vst2Main::create_objects(vst2::HostCallback callback,
                                                     Vst2EffectFactoryInterface& factory)
{
    MidiReceiverInterface* midi_client = nullptr;
    std::unique_ptr<DspInterface> dsp = factory.create_dsp(midi_client);
    std::unique_ptr<GuiInterface> gui = factory.create_gui();
    if (!dsp || midi_client == nullptr) {
        VST2_MAIN_LOG(ERROR, "The effect could not be created.");
        return nullptr;
    }
    BankManager bank;
    const int rc = Vst2Plugin::load_bank_from_rsc(FACTORY_BANK_0, bank);
    if (rc != 0) {
        VST2_MAIN_LOG(ERROR, "Factory bank \"%1%\" not loaded: %2%", FACTORY_BANK_0, rc);
        return nullptr;
    }
    DspInterface& dsp_ref = *dsp;
    GuiInterface* gui_ptr = gui.get();
    auto plugin =
        std::make_unique<Vst2Plugin>(callback, std::move(dsp), std::move(gui), *midi_client, bank,
                                     PluginInfo::use_instance().plugin_fcc_id());
    // Each side owns its adapter from here on.
    dsp_ref.set_host(*new HostDspVst2Cocoa(*plugin));
    if (gui_ptr != nullptr) {
        dsp_ref.set_gui(*gui_ptr);
        gui_ptr->set_host(*new HostGuiVst2Cocoa(*plugin));
        gui_ptr->set_dsp(dsp_ref);
    }
    return plugin;
}

bool Vst2Main::second_phase(Vst2Plugin& plugin)
{
    try {
        plugin.set_plugin_dir(make_plugin_dir());
        const int rc = plugin.init();
        if (rc != 0) {
            VST2_MAIN_LOG(WARNING, "Initialisation returned %1%.", rc);
        }
        plugin.set_default_state();
        if (!plugin.setProgram(0)) {
            VST2_MAIN_LOG(ERROR, "The factory bank holds no program.");
            return false;
        }
        return true;
    } catch (const std::exception& e) {
        VST2_MAIN_LOG(ERROR, "std::exception &e catched in second phase : '%1%'", e.what());
    } catch (...) {
        VST2_MAIN_LOG(ERROR, "Unknow exception catched in second phase.");
    }
    return false;
}

std::unique_ptr<Vst2Plugin> Vst2Main::create(vst2::HostCallback callback,
                                             const std::string& bundle_path,
                                             Vst2EffectFactoryInterface& factory) noexcept
{
    const vst2::HostCaller host(callback);
    if (host.get_version() == 0) {
        return nullptr;
    }
    std::unique_ptr<Vst2Plugin> plugin;
    try {
        (void)tnw::sys::TimerFine::use_instance();
        const std::string name = PluginInfo::use_instance().plugin_name();
        tnw::tdbg::LogMgr::create_as_util_library_logs(
            "", ("Tarnwick " + name + " VST.log.txt").c_str(), tnw::tdbg::LogMgr::Config());
        if (!find_bundle(bundle_path) || host.get_version() == 0) {
            return nullptr;
        }
        plugin = create_objects(callback, factory);
        if (!plugin) {
            return nullptr;
        }
    } catch (const std::exception& e) {
        VST2_MAIN_LOG(ERROR, "std::exception &e catched : '%1%'", e.what());
        return nullptr;
    } catch (...) {
        VST2_MAIN_LOG(ERROR, "Unknow exception catched.");
        return nullptr;
    }
    if (!second_phase(*plugin)) {
        return nullptr;
    }
    VST2_MAIN_LOG(INFO, "main OK.");
    return plugin;
}

} // namespace mppi
