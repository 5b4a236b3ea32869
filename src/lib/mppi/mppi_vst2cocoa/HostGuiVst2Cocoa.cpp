#include "lib/mppi/mppi_vst2cocoa/HostGuiVst2Cocoa.h"

#include "lib/mppi/mppi_vst2cocoa/Vst2Plugin.h"

#include <cstring>

namespace mppi {

namespace {

// The host's can-do text for sizing the editor window.
constexpr const char* CAN_DO_SIZE_WINDOW_0 = "sizeWindow";

[[nodiscard]] bool is_name(const char* name, const char* wanted) noexcept
{
    return name != nullptr && std::strcmp(name, wanted) == 0;
}

} // namespace

HostGuiVst2Cocoa::~HostGuiVst2Cocoa() = default;

double HostGuiVst2Cocoa::get_property(const char* name) const
{
    if (is_name(name, "can_resize_window")) {
        return _plugin.use_host().can_do(CAN_DO_SIZE_WINDOW_0) ? 1.0 : 0.0;
    }
    return 0.0;
}

std::string HostGuiVst2Cocoa::get_string_property(const char* name) const
{
    if (is_name(name, "interface_standard")) {
        return INTERFACE_STANDARD_0;
    }
    if (is_name(name, "interface_info")) {
        return INTERFACE_INFO_0;
    }
    return {};
}

bool HostGuiVst2Cocoa::is_param_free(int index, int prio)
{
    return _plugin.is_param_free(index, prio);
}

bool HostGuiVst2Cocoa::reserve_param(int index, int prio)
{
    return _plugin.reserve_param(index, prio);
}

void HostGuiVst2Cocoa::release_param(int index, int prio)
{
    _plugin.release_param(index, prio);
}

void HostGuiVst2Cocoa::set_param(int index, float value, int prio)
{
    (void)_plugin.set_param_pi_and_host(index, value, prio);
}

void HostGuiVst2Cocoa::set_program(const ProgramSlot& program, int prio)
{
    _plugin.set_program_pi_and_host(program, prio, false, true);
}

void HostGuiVst2Cocoa::update_dsp_bank(const BankManager& bank)
{
    _plugin.update_bank_from_gui(bank);
}

void HostGuiVst2Cocoa::resize_window(int width, int height)
{
    (void)_plugin.use_host().size_window(width, height);
}

std::string HostGuiVst2Cocoa::get_plugin_dir()
{
    return _plugin.get_plugin_dir();
}

MidiMgr* HostGuiVst2Cocoa::use_midi_interface()
{
    return _plugin.use_midi_mgr();
}

} // namespace mppi
