// The plug-in object: set-up and shut-down, blocks and events, parameters and
// their arbitration.

#include "lib/mppi/mppi_vst2cocoa/Vst2Plugin.h"

#include "lib/basic/StrBounded.h"
#include "lib/mppi/BkgInterface.h"
#include "lib/mppi/DspInterface.h"
#include "lib/mppi/GuiInterface.h"
#include "lib/mppi/MidiDevSelDispatcher.h"
#include "lib/mppi/MidiMgr.h"
#include "lib/mppi/NormalizedParamInterface.h"
#include "lib/mppi/PinProperty.h"
#include "lib/mppi/SettingAutoload.h"
#include "lib/mppi/SettingMgr.h"
#include "lib/mppi/Vst2MidiDevSelComp.h"
#include "lib/sys/TimeStamp.h"

#include <algorithm>
#include <cfenv>
#include <cmath>

namespace mppi {

static_assert(Vst2Plugin::PRIO_HOST <= ParamPriority::PRIORITY_MAX &&
                  Vst2Plugin::PRIO_MIDI <= ParamPriority::PRIORITY_MAX &&
                  Vst2Plugin::PRIO_PROGRAM <= ParamPriority::PRIORITY_MAX,
              "every writer's priority can own a parameter");

namespace {

constexpr long TEXT_BUF_SIZE = 256;
constexpr int CHN_PER_PIN = 2;

// Parameter texts for the host are made and read with round-to-nearest,
// whatever rounding mode the host's thread runs with.
class RoundToNearest
{
public:
    RoundToNearest() noexcept : _old(std::fegetround()) { (void)std::fesetround(FE_TONEAREST); }
    RoundToNearest(const RoundToNearest&) = delete;
    RoundToNearest& operator=(const RoundToNearest&) = delete;
    ~RoundToNearest() { (void)std::fesetround(_old); }

private:
    int _old;
};

[[nodiscard]] float clamp_unit(float value) noexcept
{
    return std::clamp(value, 0.0f, 1.0f);
}

} // namespace

Vst2Plugin::Vst2Plugin(vst2::HostCallback callback, std::unique_ptr<DspInterface> dsp,
                       std::unique_ptr<GuiInterface> gui, MidiReceiverInterface& midi_client,
                       const BankManager& factory_bank, long unique_id)
    : _host(callback), _dsp(std::move(dsp)), _gui(std::move(gui)), _midi_client(midi_client),
      _unique_id(unique_id), _clock(sys::get_time_stamp), _bank(factory_bank)
{
    _host.set_effect(this);
    _bank_buf.fill(factory_bank);
    size_params();
    _chn_in = make_chn_table(*_dsp, true);
    _chn_out = make_chn_table(*_dsp, false);

    _midi_mgr = std::make_unique<MidiMgr>();
    _dispatcher = std::make_unique<MidiDevSelDispatcher>();
    _midi_comp = std::make_unique<Vst2MidiDevSelComp>();
    _dispatcher->register_dev_list(*_midi_comp);
    _midi_mgr->connect_obj(_midi_client, *_dsp, *_dispatcher, *this);
    _midi_comp->set_midi_mgr(*_midi_mgr);

    for (std::size_t i = 0; i < _out_ptrs.size(); ++i) {
        _out_ptrs[i] = &_out_events[i];
    }
}

Vst2Plugin::~Vst2Plugin()
{
    close();
}

void Vst2Plugin::size_params()
{
    const int nbr = std::max(_dsp->get_nbr_param(), 0);
    _nbr_param = nbr;
    _prio_list.set_nbr_param(nbr);
    _reorder.init(*_dsp);
    _cur_val = std::make_unique<std::atomic<float>[]>(static_cast<std::size_t>(nbr));
    for (int i = 0; i < nbr; ++i) {
        _cur_val[static_cast<std::size_t>(i)].store(0.0f, std::memory_order_relaxed);
    }
    _cur_prog.set_nbr_param(0);
    _apply_prog.set_nbr_param(nbr);
    _gesture_flag.assign(static_cast<std::size_t>(nbr), 0);
}

Vst2Plugin::ChnTable Vst2Plugin::make_chn_table(const DspInterface& dsp, bool input)
{
    const int nbr_pin = input ? dsp.get_nbr_in_pin() : dsp.get_nbr_out_pin();
    ChnTable table(static_cast<std::size_t>(std::max(nbr_pin, 0) * CHN_PER_PIN), -1);
    int index = 0;
    for (int pin = 0; pin < nbr_pin; ++pin) {
        const PinProperty& prop =
            input ? dsp.get_input_pin_prop(pin) : dsp.get_output_pin_prop(pin);
        const int nbr_chn = std::min(prop.get_nbr_chn(), CHN_PER_PIN);
        for (int chn = 0; chn < nbr_chn; ++chn) {
            table[static_cast<std::size_t>(pin * CHN_PER_PIN + chn)] = index++;
        }
    }
    return table;
}

int Vst2Plugin::find_chn(const ChnTable& table, int pin, int chn) noexcept
{
    if (pin < 0 || chn < 0 || chn >= CHN_PER_PIN) {
        return -1;
    }
    const auto pos = static_cast<std::size_t>(pin) * CHN_PER_PIN + static_cast<std::size_t>(chn);
    return pos < table.size() ? table[pos] : -1;
}

bool Vst2Plugin::is_input_connected(int pin, int chn) const noexcept
{
    const int index = find_chn(_chn_in, pin, chn);
    return index >= 0 && _host.is_input_connected(index);
}

bool Vst2Plugin::is_output_connected(int pin, int chn) const noexcept
{
    const int index = find_chn(_chn_out, pin, chn);
    return index >= 0 && _host.is_output_connected(index);
}

int Vst2Plugin::init()
{
    const int rc = _dsp->init();
    if (_dsp->get_nbr_param() != _nbr_param) {
        size_params();
    }
    _chunk_flag = _dsp->get_property("force_chunk_storage") != 0 ||
                  (_bank.get_nbr_prog() > 0 && _bank[0].get_extra_byte_size() > 0);
    if (_midi_mgr) {
        _midi_mgr->init();
        (void)_dispatcher->init();
        (void)_dispatcher->select_default_dev(true, false);
    }
    if (_gui) {
        _gui->init();
    }
    _dsp->use_settings().use_autoload().execute_autoloading();
    return rc;
}

void Vst2Plugin::restore()
{
    if (_gui) {
        _gui->restore();
    }
    if (_midi_mgr) {
        _midi_mgr->restore();
        (void)_dispatcher->restore();
    }
    _dsp->restore();
}

void Vst2Plugin::set_default_state()
{
    if (_midi_mgr) {
        _midi_mgr->set_default_state();
    }
    _dsp->set_default_state();
    if (_gui) {
        _gui->set_default_state();
    }
}

void Vst2Plugin::close()
{
    if (_closed_flag) {
        return;
    }
    _closed_flag = true;
    restore();
    _bkg_flag = false;
    _dispatcher.reset();
    _midi_comp.reset();
    _midi_mgr.reset();
    _dsp.reset();
    _gui.reset();
}

void Vst2Plugin::idle()
{
    if (_closed_flag) {
        return;
    }
    if (_bkg_flag) {
        if (BkgInterface* bkg = _dsp->get_bkg()) {
            (void)bkg->process();
        }
    }
    const double now = _clock();
    for (int param = 0; param < _nbr_param; ++param) {
        char& flag = _gesture_flag[static_cast<std::size_t>(param)];
        // Free again: no writer holds it, or its holder's time ran out.
        if (flag != 0 && _prio_list.is_free(param, now, 0)) {
            flag = 0;
            _host.end_edit(_reorder.map_nat_2_wrap(param));
        }
    }
}

void Vst2Plugin::processReplacing(float** in, float** out, long frames) noexcept
{
    if (frames <= 0) {
        return;
    }
    process_pre();
    (void)_dsp->do_process_replacing(out, const_cast<const float**>(in), frames, false);
    if (_midi_mgr) {
        _midi_mgr->process_post();
    }
}

void Vst2Plugin::process_pre() noexcept
{
    if (_bank_buf.has_new_data()) {
        _dsp->update_bank(_bank_buf);
        _bank_buf.end_read();
        _host.update_display();
    }
    if (const vst2::HostTime* time = _host.get_time(vst2::TIME_TEMPO_VALID)) {
        const double tempo = time->tempo;
        if ((time->flags & vst2::TIME_TEMPO_VALID) != 0 && std::isfinite(tempo) && tempo > 0 &&
            tempo != _tempo) {
            _tempo = tempo;
            _dsp->set_tempo(static_cast<float>(tempo));
        }
    }
    send_out_events();
    if (_midi_mgr) {
        _midi_mgr->process_pre();
    }
}

void Vst2Plugin::send_out_events() noexcept
{
    if (!_midi_comp) {
        return;
    }
    const int nbr = _midi_comp->use_dev_out().hand_over(_out_taken.data(), MAX_OUT_EVENTS);
    for (int i = 0; i < nbr; ++i) {
        const Vst2MidiEvent& taken = _out_taken[static_cast<std::size_t>(i)];
        vst2::MidiEvent& event = _out_events[static_cast<std::size_t>(i)];
        event.delta_frames = static_cast<std::int32_t>(taken._delta_frames);
        event.midi_data = taken._midi_data;
        event.detune = static_cast<std::int8_t>(taken._detune);
    }
    if (nbr > 0) {
        vst2::EventList list;
        list.nbr_events = nbr;
        list.events = _out_ptrs.data();
        _host.process_events(list);
    }
}

int Vst2Plugin::processEvents(const vst2::EventList* events) noexcept
{
    if (events == nullptr || events->nbr_events <= 0 || events->events == nullptr || !_midi_comp) {
        return 1;
    }
    Vst2MidiIn& dev = _midi_comp->use_dev_in();
    if (!dev.is_connected()) {
        return 1;
    }
    for (std::int32_t i = 0; i < events->nbr_events; ++i) {
        const vst2::Event* event = events->events[i];
        if (event != nullptr && event->type == vst2::EVENT_MIDI &&
            event->byte_size >= static_cast<std::int32_t>(sizeof(vst2::MidiEvent))) {
            const auto& midi = *static_cast<const vst2::MidiEvent*>(event);
            Vst2MidiEvent copy;
            copy._delta_frames = midi.delta_frames;
            copy._midi_data = midi.midi_data;
            copy._detune = midi.detune;
            dev.process_midi_event(copy);
        }
    }
    return 1;
}

void Vst2Plugin::setSampleRate(float rate)
{
    if (!std::isfinite(rate) || rate <= 0 ||
        rate > static_cast<float>(_dsp->get_max_sample_freq())) {
        return;
    }
    _sample_rate = rate;
    _dsp->set_sample_freq(rate);
    _dsp->clear_buffers();
}

void Vst2Plugin::suspend()
{
    _prio_list.release_all();
    _dsp->clear_buffers();
}

void Vst2Plugin::resume()
{
    _prio_list.release_all();
    _dsp->clear_buffers();
}

void Vst2Plugin::setParameter(int index, float value) noexcept
{
    if (index < 0 || index >= _nbr_param) {
        return;
    }
    (void)set_param_pi(_reorder.map_wrap_2_nat(index), value, PRIO_HOST);
}

float Vst2Plugin::getParameter(int index) const noexcept
{
    if (index < 0 || index >= _nbr_param) {
        return 0.0f;
    }
    return _dsp->get_param_ref(_reorder.map_wrap_2_nat(index)).get_nrm_val();
}

bool Vst2Plugin::canParameterBeAutomated(int index) const noexcept
{
    if (index < 0) {
        return false;
    }
    if (index >= _nbr_param) {
        return true;
    }
    const NormalizedParamInterface& param = _dsp->get_param_ref(_reorder.map_wrap_2_nat(index));
    return param.get_automation_level() <= AUTOMATION_LEVEL;
}

void Vst2Plugin::getParameterName(int index, char* text) const
{
    char buf[TEXT_BUF_SIZE] = {};
    if (index >= 0 && index < _nbr_param) {
        _dsp->get_param_ref(_reorder.map_wrap_2_nat(index)).get_name(buf, TEXT_BUF_SIZE);
    }
    basic::strncpy_0(text, buf, PARAM_TEXT_LEN + 1);
}

void Vst2Plugin::getParameterLabel(int index, char* text) const
{
    char buf[TEXT_BUF_SIZE] = {};
    if (index >= 0 && index < _nbr_param) {
        _dsp->get_param_ref(_reorder.map_wrap_2_nat(index)).get_unit(buf, TEXT_BUF_SIZE);
    }
    basic::strncpy_0(text, buf, PARAM_TEXT_LEN + 1);
}

void Vst2Plugin::getParameterDisplay(int index, char* text) const
{
    char buf[TEXT_BUF_SIZE] = {};
    if (index >= 0 && index < _nbr_param) {
        const NormalizedParamInterface& param = _dsp->get_param_ref(_reorder.map_wrap_2_nat(index));
        const RoundToNearest rounding;
        param.print_val(buf, TEXT_BUF_SIZE, param.get_nat_val());
    }
    basic::strncpy_0(text, buf, PARAM_TEXT_LEN + 1);
}

bool Vst2Plugin::string2parameter(int index, const char* text, float& value) const
{
    if (index < 0 || index >= _nbr_param || text == nullptr) {
        return false;
    }
    const NormalizedParamInterface& param = _dsp->get_param_ref(_reorder.map_wrap_2_nat(index));
    const RoundToNearest rounding;
    bool ok = false;
    const double natural = param.scan_val(text, ok);
    if (!ok || !std::isfinite(natural)) {
        return false;
    }
    const float norm = param.normalize_val(natural);
    if (!std::isfinite(norm)) {
        return false;
    }
    value = norm;
    return true;
}

void Vst2Plugin::update_bank_from_gui(const BankManager& bank)
{
    _bank_buf.write(bank);
}

void Vst2Plugin::update_bank_from_dsp(const BankManager& bank)
{
    if (_gui) {
        _gui->update_bank(bank);
    }
    _bank_buf.write(bank);
}

bool Vst2Plugin::is_param_free(int index, int prio) noexcept
{
    return _prio_list.is_free(index, _clock(), prio);
}

bool Vst2Plugin::reserve_param(int index, int prio) noexcept
{
    return _prio_list.get(index, _clock(), prio);
}

void Vst2Plugin::release_param(int index, int prio) noexcept
{
    _prio_list.release(index, prio);
}

bool Vst2Plugin::set_param_pi(long param, float value, int prio) noexcept
{
    if (!is_param(param) || std::isnan(value)) {
        return false;
    }
    const int index = static_cast<int>(param);
    if (!_prio_list.get(index, _clock(), prio)) {
        return false;
    }
    value = clamp_unit(value);
    _cur_val[static_cast<std::size_t>(index)].store(value, std::memory_order_relaxed);
    _dsp->get_param_ref(index).set_nrm_val(value);
    if (_gui) {
        _gui->set_param(index, value, prio);
    }
    return true;
}

void Vst2Plugin::automate_host(int param, float value)
{
    const int wrap = _reorder.map_nat_2_wrap(param);
    char& flag = _gesture_flag[static_cast<std::size_t>(param)];
    if (flag == 0) {
        flag = 1;
        _host.begin_edit(wrap);
    }
    _host.automate(wrap, value);
}

void Vst2Plugin::set_param_host(long param, float value, int /*prio*/)
{
    if (!is_param(param) || std::isnan(value) || _dsp->get_property("hide_parameters") != 0) {
        return;
    }
    value = clamp_unit(value);
    if (_midi_mgr) {
        (void)_midi_mgr->param_to_midi_out(0, static_cast<int>(param), value);
    }
    automate_host(static_cast<int>(param), value);
}

bool Vst2Plugin::set_param_pi_and_host(long param, float value, int prio)
{
    if (!set_param_pi(param, value, prio)) {
        return false;
    }
    set_param_host(param, value, prio);
    return true;
}

} // namespace mppi
