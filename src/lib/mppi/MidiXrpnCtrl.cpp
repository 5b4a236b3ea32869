#include "lib/mppi/MidiXrpnCtrl.h"

#include "lib/mppi/MidiDevInterface.h"
#include "lib/mppi/MidiMgr.h"

namespace mppi {

int MidiXrpnCtrl::get_compatibility(const MidiDevInterface& dev) noexcept
{
    const MidiMgr* mgr = dev.use_midi_mgr();
    return (mgr != nullptr) ? mgr->use_persistent_midi_settings().get_nrpn_compatibility()
                            : COMPAT_STANDARD;
}

} // namespace mppi
