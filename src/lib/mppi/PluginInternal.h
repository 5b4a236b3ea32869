#pragma once

#include "lib/basic/SharedPtr.h"
#include "lib/mppi/DspInterface.h"
#include "lib/mppi/TimeUnit.h"

#include <string>
#include <vector>

namespace mppi {

class FullLfoParamBase;
class LfoParamBase;
class MidiModParam;
class NormalizedParamInterface;
class TempoParamBase;

// The effect-side registry of parameters that an effect derives from. The
// i-th registered parameter is parameter i everywhere (programs, banks, host
// order before remapping, MIDI map). The registry shares each parameter and
// keeps, per parameter, its MIDI modulation view (null for a plain
// parameter); it also lists LFO and tempo parameters (not owned) and holds
// one time unit.
//
// Lifecycle: filled by the effect's `init` on the main thread before block
// processing, emptied by `restore_plugin_internal` (the effect's `restore`)
// after it; a later `init` may fill it again. Between the two the lists do
// not change, and the audio thread may read parameters through `use_param`.
class PluginInternal : public virtual DspInterface
{
public:
    PluginInternal() = default;
    ~PluginInternal() override;

    // Main thread only, in `init`; may allocate. Appends one more share of
    // the parameter and its modulation view; on failure nothing is added.
    virtual void register_param(basic::SharedPtr<NormalizedParamInterface> param);
    // Main thread only, in `init`; may allocate.
    virtual void register_lfo(FullLfoParamBase& lfo);
    virtual void register_lfo(LfoParamBase& lfo);
    virtual void register_tempo(TempoParamBase& tempo);

    // Any thread; the LFO list. The index is not checked.
    [[nodiscard]] virtual long get_nbr_lfo() const;
    [[nodiscard]] virtual LfoParamBase& use_lfo(long index);
    [[nodiscard]] virtual const LfoParamBase& use_lfo(long index) const;

    [[nodiscard]] virtual TimeUnit& get_time_unit();
    // Thread of the tempo change; no lock, no allocation. Every registered
    // full LFO follows the tempo, in registration order.
    virtual void update_tempo_lfos() noexcept;
    // Main thread only; may allocate. "Tarnwick/" and the effect's
    // "plugin_name" property.
    [[nodiscard]] virtual std::string get_pref_path() const;

    // Main thread only; may allocate. The program gets one value per
    // registered parameter: its normalised value.
    void do_get_program_parameters(ProgramSlot& program) override;

    // Main thread only. The number of registered parameters, which is the
    // index the next registration gets.
    [[nodiscard]] int get_next_param_id() const noexcept
    {
        return static_cast<int>(_param_list.size());
    }

    // Main thread only, outside block processing. Releases every share (a
    // parameter held by nobody else is deleted) and empties every list.
    void restore_plugin_internal() noexcept;

protected:
    // Main or audio thread; no lock, no allocation. The registered parameter
    // and its modulation view (null for a plain parameter); the index is not
    // checked.
    [[nodiscard]] NormalizedParamInterface& use_param(int index) const noexcept
    {
        return *_param_list[static_cast<size_t>(index)];
    }
    [[nodiscard]] MidiModParam* get_mod_param(int index) const noexcept
    {
        return _mod_list[static_cast<size_t>(index)];
    }

private:
    std::vector<basic::SharedPtr<NormalizedParamInterface>> _param_list;
    std::vector<FullLfoParamBase*> _full_lfo_list;
    std::vector<TempoParamBase*> _tempo_list;
    std::vector<LfoParamBase*> _lfo_list;
    // One entry per registered parameter, so its length is the count too.
    std::vector<MidiModParam*> _mod_list;
    TimeUnit _time_unit;
};

} // namespace mppi
