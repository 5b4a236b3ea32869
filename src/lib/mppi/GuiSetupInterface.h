#pragma once

#include "lib/mppi/Fwd.h"

namespace mppi {

// The editor's setup menu as the framework reaches it. Main thread only.
class GuiSetupInterface
{
public:
    GuiSetupInterface() = default;
    GuiSetupInterface(const GuiSetupInterface&) = delete;
    GuiSetupInterface& operator=(const GuiSetupInterface&) = delete;
    virtual ~GuiSetupInterface();

    [[nodiscard]] virtual SetupMgr& use_setup_mgr() = 0;
};

} // namespace mppi
