#pragma once

#include "lib/mppi/DspInterface.h"
#include "lib/mppi/SettingMgr.h"

namespace mppi {

// Main thread only; may allocate.
// Gives an effect its settings manager and registers the settings clients that the host
// binding offers. The effect calls `init_settings` from its `init` and `restore_settings`
// from its `restore`.
class SettingDspMixin : public virtual DspInterface
{
public:
    [[nodiscard]] SettingMgr& use_settings() override;
    [[nodiscard]] const SettingMgr& use_settings() const override;

    // Initialises the manager and registers the host's clients in order: the MIDI manager,
    // then the host-order parameter map. Stops at the first non-zero code and returns it, so
    // a second call (clients stay registered after `restore_settings`) gives -1023.
    [[nodiscard]] int init_settings();
    void restore_settings();

protected:
    SettingDspMixin() = default;

private:
    SettingMgr _settings;
};

} // namespace mppi
