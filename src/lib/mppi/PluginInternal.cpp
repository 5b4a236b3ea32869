#include "lib/mppi/PluginInternal.h"

#include "lib/mppi/FullLfoParamBase.h"
#include "lib/mppi/LfoParamBase.h"
#include "lib/mppi/MidiModParam.h"
#include "lib/mppi/NormalizedParamInterface.h"
#include "lib/mppi/PluginInfo.h"
#include "lib/mppi/ProgramSlot.h"
#include "lib/mppi/TempoParamBase.h"

namespace mppi {

PluginInternal::~PluginInternal() = default;

void PluginInternal::register_param(basic::SharedPtr<NormalizedParamInterface> param)
{
    // Room first, so that both lists grow together or not at all.
    _param_list.reserve(_param_list.size() + 1);
    _mod_list.reserve(_mod_list.size() + 1);
    _mod_list.push_back(dynamic_cast<MidiModParam*>(param.get()));
    _param_list.push_back(param);
}

void PluginInternal::register_lfo(FullLfoParamBase& lfo)
{
    _full_lfo_list.push_back(&lfo);
}

void PluginInternal::register_lfo(LfoParamBase& lfo)
{
    _lfo_list.push_back(&lfo);
}

void PluginInternal::register_tempo(TempoParamBase& tempo)
{
    _tempo_list.push_back(&tempo);
}

long PluginInternal::get_nbr_lfo() const
{
    return static_cast<long>(_lfo_list.size());
}

LfoParamBase& PluginInternal::use_lfo(long index)
{
    return *_lfo_list[static_cast<size_t>(index)];
}

const LfoParamBase& PluginInternal::use_lfo(long index) const
{
    return *_lfo_list[static_cast<size_t>(index)];
}

TimeUnit& PluginInternal::get_time_unit()
{
    return _time_unit;
}

void PluginInternal::update_tempo_lfos() noexcept
{
    for (FullLfoParamBase* lfo : _full_lfo_list) {
        lfo->update_tempo();
    }
}

std::string PluginInternal::get_pref_path() const
{
    return PluginInfo::use_instance().company_name() + '/' + get_string_property("plugin_name");
}

void PluginInternal::do_get_program_parameters(ProgramSlot& program)
{
    const int nbr = get_next_param_id();
    program.set_nbr_param(nbr);
    for (int i = 0; i < nbr; ++i) {
        program.set_param(i, use_param(i).get_nrm_val());
    }
}

void PluginInternal::restore_plugin_internal() noexcept
{
    _mod_list.clear();
    _param_list.clear();
    _full_lfo_list.clear();
    _tempo_list.clear();
    _lfo_list.clear();
}

} // namespace mppi
