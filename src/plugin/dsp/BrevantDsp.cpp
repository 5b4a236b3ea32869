// Set-up, state, properties and programs of the effect.

#include "plugin/dsp/BrevantDsp.h"

#include "lib/basic/SharedPtr.h"
#include "lib/mppi/HostDspInterface.h"
#include "lib/mppi/MidiMgr.h"
#include "lib/mppi/PluginInfo.h"
#include "lib/mppi/ProgramSlot.h"
#include "plugin/dsp/ParamCutFreq.h"
#include "plugin/dsp/ParamDistoGain.h"
#include "plugin/dsp/ParamDistoRouting.h"
#include "plugin/dsp/ParamHarmFactor.h"
#include "plugin/dsp/ParamNbrBand.h"
#include "plugin/dsp/ParamReso.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

constexpr int automation_level = 2;

// Natural defaults of parameters 0 to 5.
constexpr double cutoff_default = 1000;
constexpr double reso_default = 1;
constexpr double nbr_band_default = 1;
constexpr double gain_default = 1;
constexpr double routing_default = 1; // "Post"
constexpr double spacing_default = 2;

constexpr double version = 1.6;

// Rows of the scratch block.
constexpr int row_band_l = 0;
constexpr int row_band_r = 1;
constexpr int row_lpf_l = 2;
constexpr int row_lpf_r = 3;
constexpr int row_mono = 4;

[[nodiscard]] bool is_name(const char* name, const char* wanted) noexcept
{
    return name != nullptr && std::strcmp(name, wanted) == 0;
}

// Creates a parameter, gives it its default and automation level, registers it
// and makes `owner` its observer. The registry keeps it alive.
template <typename Param>
Param* make_param(mppi::PluginInternal& registry, mppi::NotifiedInterface& owner, double natural)
{
    const basic::SharedPtr<Param> param(new Param);
    param->init(natural, automation_level);
    registry.register_param(basic::SharedPtr<mppi::NormalizedParamInterface>(param));
    param->set_notified(&owner);
    return param.get();
}

} // namespace

double BrevantDsp::DistoFnc::operator()(double x) const noexcept
{
    return 0.6366197723675814 * std::atan(1.5707963267948966 * x);
}

BrevantDsp::BrevantDsp()
{
    DistoTable::init_coef();
    _pin_in.set_name("Input");
    _pin_in.set_chn_name(0, "Left input");
    _pin_in.set_chn_name(1, "Right input");
    _pin_out.set_name("Output");
    _pin_out.set_chn_name(0, "Left output");
    _pin_out.set_chn_name(1, "Right output");
    _band_buf_ptr_arr[0] = _buf_arr[row_band_l].data();
    _band_buf_ptr_arr[1] = _buf_arr[row_band_r].data();
    _lpf_buf_ptr_arr[0] = _buf_arr[row_lpf_l].data();
    _lpf_buf_ptr_arr[1] = _buf_arr[row_lpf_r].data();
    _mono_buf_ptr = _buf_arr[row_mono].data();
}

BrevantDsp::~BrevantDsp()
{
    if (_host_ptr != nullptr) {
        delete _host_ptr;
        _host_ptr = nullptr;
    }
}

int BrevantDsp::init()
{
    if (_host_ptr != nullptr) {
        (void)_host_ptr->init();
    }
    _cutoff_param_ptr = make_param<ParamCutFreq>(*this, *this, cutoff_default);
    _reso_param_ptr = make_param<ParamReso>(*this, *this, reso_default);
    _nbr_band_param_ptr = make_param<ParamNbrBand>(*this, *this, nbr_band_default);
    _gain_param_ptr = make_param<ParamDistoGain>(*this, *this, gain_default);
    _routing_param_ptr = make_param<ParamDistoRouting>(*this, *this, routing_default);
    _spacing_param_ptr = make_param<ParamHarmFactor>(*this, *this, spacing_default);

    _lpf[0]._type = dsp::Filter2p::TYPE_LOWPASS;
    _lpf[1]._type = dsp::Filter2p::TYPE_LOWPASS;
    _tap_stage.init(*this, _buf_arr);

    set_up_midi();
    return init_settings();
}

void BrevantDsp::set_up_midi()
{
    mppi::MidiMgr* midi_ptr = _host_ptr != nullptr ? _host_ptr->use_midi_interface() : nullptr;
    if (midi_ptr == nullptr) {
        return;
    }
    const std::string name = get_string_property("plugin_name");
    midi_ptr->set_persistent_midi_settings(name.c_str());
    // Parameter i on NRPN i. Full LFOs would follow on the NRPNs after the
    // parameters; this effect registers none.
    (void)midi_ptr->set_default_nrpn_mapping();
}

void BrevantDsp::set_default_state()
{
    if (!has_params()) {
        return;
    }
    _cutoff_param_ptr->set_nat_val(cutoff_default);
    _reso_param_ptr->set_nat_val(reso_default);
    _nbr_band_param_ptr->set_nat_val(nbr_band_default);
    _gain_param_ptr->set_nat_val(gain_default);
    _routing_param_ptr->set_nat_val(routing_default);
    _spacing_param_ptr->set_nat_val(spacing_default);
    _param_changed_flag.store(true, std::memory_order_release);
    _tap_stage.set_default_state();
    clear_buffers();
}

void BrevantDsp::restore()
{
    // The registry deletes the parameters: nobody may reach them afterwards.
    _cutoff_param_ptr = nullptr;
    _reso_param_ptr = nullptr;
    _nbr_band_param_ptr = nullptr;
    _gain_param_ptr = nullptr;
    _routing_param_ptr = nullptr;
    _spacing_param_ptr = nullptr;
    _tap_stage.release_params();
    restore_plugin_internal();
}

void BrevantDsp::set_host(mppi::HostDspInterface& host)
{
    _host_ptr = &host;
}

mppi::HostDspInterface* BrevantDsp::get_host()
{
    return _host_ptr;
}

void BrevantDsp::set_gui(mppi::GuiInterface& gui)
{
    _gui_ptr = &gui;
}

mppi::GuiInterface* BrevantDsp::get_gui()
{
    return _gui_ptr;
}

int BrevantDsp::get_nbr_in_pin() const
{
    return 1;
}

const mppi::PinProperty& BrevantDsp::get_input_pin_prop(int /*pin*/) const
{
    return _pin_in;
}

int BrevantDsp::get_nbr_out_pin() const
{
    return 1;
}

const mppi::PinProperty& BrevantDsp::get_output_pin_prop(int /*pin*/) const
{
    return _pin_out;
}

int BrevantDsp::get_min_sample_freq() const
{
    return MIN_SAMPLE_FREQ;
}

int BrevantDsp::get_max_sample_freq() const
{
    return MAX_SAMPLE_FREQ;
}

void BrevantDsp::set_sample_scale(float /*scale*/) {}

int BrevantDsp::get_nbr_param() const noexcept
{
    return NBR_PARAM;
}

mppi::NormalizedParamInterface& BrevantDsp::get_param_ref(int index) const noexcept
{
    return use_param(index);
}

void BrevantDsp::set_program_name(const std::string& name)
{
    _prog_name = name;
}

std::string BrevantDsp::get_program_name() const
{
    return _prog_name;
}

void BrevantDsp::send_scalar_msg(int /*msg*/, float /*value*/) noexcept {}

void BrevantDsp::update_bank(basic::LockFreeBuffer<mppi::BankManager>& /*buffer*/) noexcept {}

double BrevantDsp::get_property(const char* name) const
{
    if (is_name(name, "can_mono")) {
        return 1.0;
    }
    if (is_name(name, "plugin_version")) {
        return version;
    }
    return 0.0;
}

std::string BrevantDsp::get_string_property(const char* name) const
{
    if (is_name(name, "plugin_name")) {
        return mppi::PluginInfo::use_instance().plugin_name();
    }
    if (is_name(name, "manufacturer")) {
        return mppi::PluginInfo::use_instance().company_name();
    }
    if (is_name(name, "plugin_category")) {
        return "effect";
    }
    return {};
}

void BrevantDsp::set_tempo(float /*bpm*/) noexcept {}

void BrevantDsp::notify(mppi::NotifierInterface& /*sender*/) noexcept
{
    _param_changed_flag.store(true, std::memory_order_release);
}

void BrevantDsp::do_set_program(const mppi::ProgramSlot& program)
{
    if (!has_params()) {
        return;
    }
    // A program may hold fewer values than there are parameters.
    const int nbr = std::min(program.get_nbr_param(), NBR_PARAM);
    for (int i = 0; i < nbr; ++i) {
        const float val = program.get_param(i);
        mppi::NormalizedParamInterface& param = get_param_ref(i);
        if (val != param.get_nrm_val()) {
            param.set_nrm_val(val);
        }
    }
}

void BrevantDsp::do_get_program(mppi::ProgramSlot& program)
{
    if (!has_params()) {
        return;
    }
    program.set_nbr_param(NBR_PARAM);
    for (int i = 0; i < NBR_PARAM; ++i) {
        program.set_param(i, get_param_ref(i).get_nrm_val());
    }
}

void BrevantDsp::do_set_bkg(mppi::BkgInterface& /*bkg*/) {}

mppi::BkgInterface* BrevantDsp::do_get_bkg() const
{
    return nullptr;
}

basic::SerializableInterface* BrevantDsp::do_get_serializer() const
{
    return nullptr;
}

mppi::BankConverterInterface* BrevantDsp::do_get_converter() const
{
    return nullptr;
}
