#include "lib/mppi/mppi_vst2cocoa/HostDspVst2Cocoa.h"

#include "lib/mppi/TimeInfo.h"
#include "lib/mppi/mppi_vst2cocoa/Vst2Plugin.h"

#include <cmath>
#include <cstring>

namespace mppi {

namespace {

// The host's can-do text for offering its time information.
constexpr const char* CAN_DO_TIME_0 = "sendVstTimeInfo";

} // namespace

HostDspVst2Cocoa::~HostDspVst2Cocoa() = default;

int HostDspVst2Cocoa::init()
{
    return 0;
}

double HostDspVst2Cocoa::get_property(const char* name) const
{
    if (name != nullptr && std::strcmp(name, "can_tempo") == 0) {
        return _plugin.use_host().can_do(CAN_DO_TIME_0) ? 1.0 : 0.0;
    }
    return 0.0;
}

void HostDspVst2Cocoa::get_time_info(TimeInfo& info) const
{
    const std::int32_t filter = info._tempo_valid_flag ? vst2::TIME_TEMPO_VALID : 0;
    const vst2::HostTime* time = _plugin.use_host().get_time(filter);
    if (time == nullptr) {
        info._no_info_flag = true;
        return;
    }
    info._no_info_flag = false;
    if (info._tempo_valid_flag) {
        if ((time->flags & vst2::TIME_TEMPO_VALID) != 0 && std::isfinite(time->tempo)) {
            info._tempo = time->tempo;
        } else {
            info._tempo_valid_flag = false;
        }
    }
}

bool HostDspVst2Cocoa::is_input_connected(int pin, int chn) const noexcept
{
    return _plugin.is_input_connected(pin, chn);
}

bool HostDspVst2Cocoa::is_output_connected(int pin, int chn) const noexcept
{
    return _plugin.is_output_connected(pin, chn);
}

MidiMgr* HostDspVst2Cocoa::use_midi_interface()
{
    return _plugin.use_midi_mgr();
}

bool HostDspVst2Cocoa::is_param_free(int index, int prio)
{
    return _plugin.is_param_free(index, prio);
}

bool HostDspVst2Cocoa::reserve_param(int index, int prio)
{
    return _plugin.reserve_param(index, prio);
}

void HostDspVst2Cocoa::release_param(int index, int prio)
{
    _plugin.release_param(index, prio);
}

void HostDspVst2Cocoa::set_param(int index, float value, int prio)
{
    (void)_plugin.set_param_pi_and_host(index, value, prio);
}

void HostDspVst2Cocoa::set_param_host_only(int index, float value, int prio)
{
    _plugin.set_param_host(index, value, prio);
}

void HostDspVst2Cocoa::set_param_pi_only(int index, float value, int prio)
{
    (void)_plugin.set_param_pi(index, value, prio);
}

void HostDspVst2Cocoa::set_program(const ProgramSlot& program, int prio)
{
    _plugin.set_program_pi_and_host(program, prio, false, true);
}

ParamReorder* HostDspVst2Cocoa::use_param_reorder()
{
    return &_plugin.use_param_reorder();
}

void HostDspVst2Cocoa::update_bank(const BankManager& bank)
{
    _plugin.update_bank_from_dsp(bank);
}

void HostDspVst2Cocoa::do_start_bkg_thread()
{
    _plugin.set_bkg_flag(true);
}

void HostDspVst2Cocoa::do_stop_bkg_thread()
{
    _plugin.set_bkg_flag(false);
}

std::string HostDspVst2Cocoa::do_get_plugin_dir()
{
    return _plugin.get_plugin_dir();
}

} // namespace mppi
