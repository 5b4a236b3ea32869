#pragma once

#include "lib/mppi/Fwd.h"

namespace mppi {

// A background task that the host binding may run for the effect, linked to
// one DSP object. Main thread only. No class of this system implements it: the
// effect answers null when asked for its task.
class BkgInterface
{
public:
    BkgInterface() = default;
    BkgInterface(const BkgInterface&) = delete;
    BkgInterface& operator=(const BkgInterface&) = delete;
    virtual ~BkgInterface();

    // Runs one step of the task's work; 0 on success.
    [[nodiscard]] int process() { return do_process(); }
    [[nodiscard]] DspInterface* get_dsp() const { return do_get_dsp(); }
    void set_dsp(DspInterface& dsp) { do_set_dsp(dsp); }

protected:
    [[nodiscard]] virtual int do_process() = 0;
    [[nodiscard]] virtual DspInterface* do_get_dsp() const = 0;
    virtual void do_set_dsp(DspInterface& dsp) = 0;
};

} // namespace mppi
