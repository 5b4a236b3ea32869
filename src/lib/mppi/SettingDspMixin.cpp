#include "lib/mppi/SettingDspMixin.h"

#include "lib/mppi/HostDspInterface.h"
#include "lib/mppi/MidiMgr.h"
#include "lib/mppi/ParamReorder.h"

namespace mppi {

SettingMgr& SettingDspMixin::use_settings()
{
    return _settings;
}

const SettingMgr& SettingDspMixin::use_settings() const
{
    return _settings;
}

int SettingDspMixin::init_settings()
{
    HostDspInterface* host_ptr = get_host();
    // Without a host there is nothing to register.
    MidiMgr* midi_ptr = host_ptr == nullptr ? nullptr : host_ptr->use_midi_interface();
    ParamReorder* reorder_ptr = host_ptr == nullptr ? nullptr : host_ptr->use_param_reorder();
    int rc = _settings.init(*this);
    // The MIDI manager saves and loads its keys ahead of the parameter map.
    if (midi_ptr != nullptr && rc == 0) {
        rc = _settings.register_client(*midi_ptr);
    }
    if (reorder_ptr != nullptr && rc == 0) {
        rc = _settings.register_client(*reorder_ptr);
    }
    return rc;
}

void SettingDspMixin::restore_settings()
{
    _settings.restore();
}

} // namespace mppi
