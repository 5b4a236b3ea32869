#pragma once

#include "lib/basic/LockFreeBuffer.h"
#include "lib/mppi/BankManager.h"
#include "lib/mppi/ParamPriorityList.h"
#include "lib/mppi/ParamReorder.h"
#include "lib/mppi/PluginCmdInterface.h"
#include "lib/mppi/ProgramSlot.h"
#include "lib/mppi/Vst2MidiEvent.h"
#include "lib/mppi/vst2/HostCaller.h"

#include <array>
#include <atomic>
#include <memory>
#include <string>
#include <vector>

namespace mppi {

class MidiDevSelDispatcher;
class MidiMgr;
class MidiReceiverInterface;
class Vst2MidiDevSelComp;

// The plug-in as the host drives it: parameters in host order, programs of
// the host bank, chunks, audio blocks and MIDI events, on behalf of one
// effect (`DspInterface`) and its optional editor. It owns the effect, the
// editor, the MIDI manager, the device dispatcher and the VST device
// component; it hands banks to the audio thread through a two-slot buffer
// and arbitrates every parameter write by priority (host 100, learned MIDI
// 125, programs 200, each grant kept for 0.5 s unless released).
//
// Lifecycle: construct (main thread; the factory bank fills both slots of
// the bank buffer), link the host adapters, `init`, `set_default_state`,
// `setProgram(0)`, `setSampleRate`, `resume`; then blocks and events on the
// audio thread and every other call on the main thread; `close` (or
// destruction) at the end. `idle` is the plug-in's 10 ms timer, called by the
// host side on the main thread.
class Vst2Plugin : public PluginCmdInterface
{
public:
    static constexpr int PRIO_HOST = 100;
    static constexpr int PRIO_MIDI = 125;
    static constexpr int PRIO_PROGRAM = 200;
    // Parameters whose automation level is at most this one are automatable.
    static constexpr int AUTOMATION_LEVEL = 2;
    // Longest texts handed to the host, terminator not counted.
    static constexpr long PARAM_TEXT_LEN = 23;
    static constexpr long PROG_NAME_LEN = 23;
    static constexpr long PROG_NAME_INDEXED_LEN = 64;
    // Most MIDI events handed to the host at the start of a block.
    static constexpr int MAX_OUT_EVENTS = 1024;

    // Main thread only; may allocate. Takes ownership of `dsp` and `gui`
    // (null: no editor); `midi_client` (the effect's MIDI receiver) must live
    // as long as the effect. Builds the MIDI manager and devices and the
    // parameter maps from the effect's parameter count.
    Vst2Plugin(vst2::HostCallback callback, std::unique_ptr<DspInterface> dsp,
               std::unique_ptr<GuiInterface> gui, MidiReceiverInterface& midi_client,
               const BankManager& factory_bank, long unique_id);
    ~Vst2Plugin() override;
    Vst2Plugin(const Vst2Plugin&) = delete;
    Vst2Plugin& operator=(const Vst2Plugin&) = delete;

    // Main thread only, second start-up phase: effect, MIDI devices (VST
    // input selected, no output), editor, settings autoload. The effect's
    // result is returned (0 on success).
    [[nodiscard]] int init();
    // Main thread only: undoes `init` (editor, MIDI manager, effect).
    void restore();
    // Main thread only: default states of MIDI, effect and editor.
    void set_default_state();
    // Main thread only: the host's close call. `restore`, background task
    // off; then the owned objects go in the order dispatcher, MIDI device
    // component, MIDI manager, effect, editor. Later calls do nothing; the
    // destructor calls it.
    void close();

    // Main thread only: the plug-in's 10 ms timer. Runs the background task
    // when on, and ends the automation gesture of each parameter that no
    // writer holds any more.
    void idle();

    // --- Host calls, audio thread; no lock, no allocation. ---

    // One block: `process_pre`, the effect, then the MIDI manager's
    // post-processing. `in` and `out` hold one pointer per channel of the
    // effect's pins. 0 or fewer frames do nothing.
    void processReplacing(float** in, float** out, long frames) noexcept;
    // Start of every block: a waiting bank is offered to the effect once,
    // then the host refreshes its display; the host's tempo, when changed,
    // goes to the effect; the MIDI events queued since the last block go to
    // the host; the MIDI manager's pre-processing runs.
    void process_pre() noexcept;
    // The host's events before a block: while the VST MIDI input is
    // connected, every MIDI event in order to it; other and null entries are
    // skipped. Answers 1.
    int processEvents(const vst2::EventList* events) noexcept;

    // --- Host calls, main thread only (a host may automate from its audio
    // thread as well: setParameter then takes no lock and allocates
    // nothing). ---

    // A rate that is not finite, not above 0, or above the effect's highest
    // rate is ignored; otherwise the effect gets it and clears its state.
    void setSampleRate(float rate);
    [[nodiscard]] float getSampleRate() const noexcept { return _sample_rate; }
    // Both release every parameter's priority and clear the effect's state.
    void suspend();
    void resume();

    [[nodiscard]] int getNumParams() const noexcept { return _nbr_param; }
    // A host parameter (host order); an index outside the parameters is
    // ignored, a NaN too, and the value is clamped to 0..1.
    void setParameter(int index, float value) noexcept;
    // The parameter's normalised value; 0 outside the parameters.
    [[nodiscard]] float getParameter(int index) const noexcept;
    [[nodiscard]] bool canParameterBeAutomated(int index) const noexcept;
    // Name, unit and display text of a host parameter, at most
    // PARAM_TEXT_LEN characters into `text` (PARAM_TEXT_LEN + 1 bytes);
    // empty outside the parameters.
    void getParameterName(int index, char* text) const;
    void getParameterLabel(int index, char* text) const;
    void getParameterDisplay(int index, char* text) const;
    // Parses a display text with the parameter's own parser into a
    // normalised value (not clamped, not applied). False, `value` untouched,
    // outside the parameters or when the text does not parse.
    [[nodiscard]] bool string2parameter(int index, const char* text, float& value) const;

    // Programs of the host bank. A selection outside the bank is refused
    // (false); otherwise the program applies with priority 200, each
    // parameter released right after, the host not told.
    [[nodiscard]] bool setProgram(int index);
    [[nodiscard]] int getProgram() const noexcept { return _cur_prog_index; }
    [[nodiscard]] int getNumPrograms() const noexcept { return _bank.get_nbr_prog(); }
    // The current program's name, at most PROG_NAME_LEN characters.
    void getProgramName(char* text) const;
    void setProgramName(const char* name);
    // A program's name of the bank, at most PROG_NAME_INDEXED_LEN characters;
    // false outside the bank.
    [[nodiscard]] bool getProgramNameIndexed(int index, char* text) const;

    // The host's state chunk: the bank image with the current program's
    // values (or the effect's serializer output), or one program record.
    [[nodiscard]] std::vector<unsigned char> getChunk(bool is_preset) const;
    // Restores a chunk: a bank replaces the host bank, goes to the effect
    // and re-selects the current program (the last one when the bank got
    // shorter); a program record applies as a program selection and is
    // stored at the current position. A damaged chunk is refused (false),
    // nothing changed.
    [[nodiscard]] bool setChunk(const void* data, long size, bool is_preset);

    // --- Framework side. ---

    // Main thread only: a whole bank for the effect, through the buffer. From
    // the editor; and from the effect, shown in the editor first.
    void update_bank_from_gui(const BankManager& bank);
    void update_bank_from_dsp(const BankManager& bank);

    // PluginCmdInterface.
    [[nodiscard]] bool is_param_free(int index, int prio) noexcept override;
    [[nodiscard]] bool reserve_param(int index, int prio) noexcept override;
    void release_param(int index, int prio) noexcept override;
    bool set_param_pi(long param, float value, int prio) noexcept override;
    void set_param_host(long param, float value, int prio) override;
    bool set_param_pi_and_host(long param, float value, int prio) override;
    void set_program_pi_and_host(const ProgramSlot& program, int prio, bool release,
                                 bool host) override;

    // Main thread only. -1 when the resource "TWBK"/name is missing, else
    // the bank loader's result (0: `bank` replaced).
    [[nodiscard]] static int load_bank_from_rsc(const char* name, BankManager& bank);

    // Any thread once built. Links for the host adapters.
    [[nodiscard]] DspInterface& use_dsp() const noexcept { return *_dsp; }
    [[nodiscard]] GuiInterface* use_gui() const noexcept { return _gui.get(); }
    [[nodiscard]] MidiMgr* use_midi_mgr() const noexcept { return _midi_mgr.get(); }
    [[nodiscard]] Vst2MidiDevSelComp* use_midi_comp() const noexcept { return _midi_comp.get(); }
    [[nodiscard]] ParamReorder& use_param_reorder() noexcept { return _reorder; }
    [[nodiscard]] const vst2::HostCaller& use_host() const noexcept { return _host; }
    [[nodiscard]] long get_unique_id() const noexcept { return _unique_id; }

    // Audio thread; no lock, no allocation. Whether the host feeds / reads
    // channel `chn` of pin `pin`; a pin or channel the effect does not have
    // is not connected.
    [[nodiscard]] bool is_input_connected(int pin, int chn) const noexcept;
    [[nodiscard]] bool is_output_connected(int pin, int chn) const noexcept;

    // Main thread only. The background task on and off.
    void set_bkg_flag(bool on) noexcept { _bkg_flag = on; }
    [[nodiscard]] bool get_bkg_flag() const noexcept { return _bkg_flag; }
    // Main thread only. The plug-in's data folder.
    void set_plugin_dir(const std::string& dir) { _plugin_dir = dir; }
    [[nodiscard]] const std::string& get_plugin_dir() const noexcept { return _plugin_dir; }
    // True when the host should store the state as chunks.
    [[nodiscard]] bool is_chunk_storage() const noexcept { return _chunk_flag; }

    // Any thread: a word the host keeps with the plug-in (the host callback
    // gets the plug-in as its handle and finds its own data here).
    void set_host_data(void* data) noexcept { _host_data = data; }
    [[nodiscard]] void* get_host_data() const noexcept { return _host_data; }

    // Main thread, before other threads run: the clock of the priority
    // grants (seconds, never decreasing), sys::get_time_stamp by default.
    using Clock = double (*)() noexcept;
    void set_clock(Clock clock) noexcept { _clock = clock; }

private:
    // Sizes the current program, the priority list, the host-order map and
    // the gesture flags to the effect's parameter count.
    void size_params();
    // Channel index of every (pin, channel) pair, two channels a pin; -1 for
    // a channel the pin does not have.
    using ChnTable = std::vector<int>;

    [[nodiscard]] bool is_param(long param) const noexcept
    {
        return param >= 0 && param < _nbr_param;
    }
    [[nodiscard]] static ChnTable make_chn_table(const DspInterface& dsp, bool input);
    [[nodiscard]] static int find_chn(const ChnTable& table, int pin, int chn) noexcept;
    // Reports a value to the host as automation in host order, opening a
    // gesture for a parameter that has none.
    void automate_host(int param, float value);
    // The current program's values into `_apply_prog`.
    void gather_cur_prog();
    // The current program as a whole (name, flags, values, extra bytes).
    [[nodiscard]] ProgramSlot make_cur_prog() const;
    void send_out_events() noexcept;

    vst2::HostCaller _host;
    std::unique_ptr<DspInterface> _dsp;
    std::unique_ptr<GuiInterface> _gui;
    MidiReceiverInterface& _midi_client;
    long _unique_id;
    void* _host_data = nullptr;
    Clock _clock;

    // Main-thread side of the hand-over; the audio thread reads it at the
    // start of every block.
    basic::LockFreeBuffer<BankManager> _bank_buf;
    // The host bank, main thread only.
    BankManager _bank;
    int _cur_prog_index = 0;
    // The current program: name, flags and extra bytes (main thread) and its
    // values, which learned MIDI stores on the audio thread while a program
    // selection on the main thread copies new values in. Each value is a
    // relaxed atomic: it stands alone and publishes nothing else. Sized to
    // the parameter count at start-up, never reallocated.
    ProgramSlot _cur_prog;
    std::unique_ptr<std::atomic<float>[]> _cur_val;
    // A full-size program the current values are gathered into before they
    // are applied to the effect (main thread only).
    ProgramSlot _apply_prog;
    int _nbr_param = 0;

    ParamPriorityList _prio_list;
    ParamReorder _reorder;
    // Parameters with an open automation gesture (main thread only).
    std::vector<char> _gesture_flag;

    std::unique_ptr<MidiMgr> _midi_mgr;
    std::unique_ptr<MidiDevSelDispatcher> _dispatcher;
    std::unique_ptr<Vst2MidiDevSelComp> _midi_comp;

    ChnTable _chn_in;
    ChnTable _chn_out;
    float _sample_rate = 44100;
    // Audio thread only: the last tempo handed to the effect.
    double _tempo = 0;
    bool _bkg_flag = false;
    bool _chunk_flag = false;
    bool _closed_flag = false;
    std::string _plugin_dir;

    // Audio thread only: the events handed to the host at the start of a
    // block, taken from the MIDI output device's queue and copied into the
    // host's records.
    std::array<Vst2MidiEvent, MAX_OUT_EVENTS> _out_taken;
    std::array<vst2::MidiEvent, MAX_OUT_EVENTS> _out_events;
    std::array<vst2::Event*, MAX_OUT_EVENTS> _out_ptrs;
};

} // namespace mppi
