#pragma once

#include "lib/mppi/ModDestContainerInterface.h"

namespace mppi {

// A container of destinations that shapes the modulation through a response
// curve and scales it by a sensitivity.
//
// Main thread only (the editor or the settings set them); no lock, no
// allocation.
class MPCInterface : public ModDestContainerInterface
{
public:
    ~MPCInterface() override;

    virtual void set_curve(int curve) noexcept = 0;
    virtual void set_sensibility(float sensitivity) noexcept = 0;
    [[nodiscard]] virtual int get_nbr_curve() const noexcept = 0;
};

} // namespace mppi
