#pragma once

#include "lib/mppi/Fwd.h"

#include <string>

namespace mppi {

// The effect as the host binding, the editor and the MIDI manager see it.
// Used as a virtual base, so an effect holds exactly one part of it; it holds
// no state of its own.
//
// Lifecycle: the binding links the host adapter and the editor (`set_host`,
// `set_gui`), then calls `init`, `set_default_state` and `set_sample_freq`
// before the first block; `restore` undoes `init` after the last block.
// Block processing, `update_bank` and `set_tempo` run on the host's audio
// thread, the parameter look-ups and `send_scalar_msg` also run there for
// learned MIDI controllers; every other operation runs on the main thread.
class DspInterface
{
public:
    DspInterface() = default;
    DspInterface(const DspInterface&) = delete;
    DspInterface& operator=(const DspInterface&) = delete;
    virtual ~DspInterface();

    // Main thread only: registers parameters, MIDI set-up and settings
    // clients; 0 on success.
    [[nodiscard]] virtual int init() = 0;
    // Main thread only: every parameter to its default natural value.
    virtual void set_default_state() = 0;
    // Main thread only: undoes `init`.
    virtual void restore() = 0;

    // Main thread only. The effect owns the host adapter once it is linked.
    [[nodiscard]] virtual HostDspInterface* get_host() = 0;
    virtual void set_host(HostDspInterface& host) = 0;
    [[nodiscard]] virtual GuiInterface* get_gui() = 0;
    virtual void set_gui(GuiInterface& gui) = 0;
    [[nodiscard]] virtual SettingMgr& use_settings() = 0;
    [[nodiscard]] virtual const SettingMgr& use_settings() const = 0;

    // Main thread only: pins and their channel names.
    [[nodiscard]] virtual int get_nbr_in_pin() const = 0;
    [[nodiscard]] virtual const PinProperty& get_input_pin_prop(int pin) const = 0;
    [[nodiscard]] virtual int get_nbr_out_pin() const = 0;
    [[nodiscard]] virtual const PinProperty& get_output_pin_prop(int pin) const = 0;

    // Main thread only: the accepted sample rates in Hz, and a new rate, set
    // before processing starts and on every change.
    [[nodiscard]] virtual int get_min_sample_freq() const = 0;
    [[nodiscard]] virtual int get_max_sample_freq() const = 0;
    virtual void set_sample_freq(float hz) = 0;

    // Main or audio thread; no lock, no allocation (learned MIDI controllers
    // and host automation reach the parameters from the audio thread).
    // Parameters in the effect's own order, 0..n-1; the index of
    // `get_param_ref` is not checked.
    [[nodiscard]] virtual int get_nbr_param() const noexcept = 0;
    [[nodiscard]] virtual NormalizedParamInterface& get_param_ref(int index) const noexcept = 0;

    // Main thread only: the current program's name.
    virtual void set_program_name(const std::string& name) = 0;
    [[nodiscard]] virtual std::string get_program_name() const = 0;

    // Audio thread; no lock, no allocation. A numbered message with one value
    // from the binding (a learned MIDI controller bound beyond the last
    // parameter).
    virtual void send_scalar_msg(int msg, float value) noexcept = 0;

    // Audio thread; no lock, no allocation. Offered the bank waiting in the
    // two-slot hand-over before each block; an effect that does not take
    // banks leaves the buffer untouched.
    virtual void update_bank(basic::LockFreeBuffer<BankManager>& buffer) noexcept = 0;

    // Main thread only: named properties; an unknown name answers 0 or an
    // empty text.
    [[nodiscard]] virtual double get_property(const char* name) const = 0;
    [[nodiscard]] virtual std::string get_string_property(const char* name) const = 0;

    // Main thread only, outside block processing: silences every delay line
    // and filter state.
    virtual void clear_buffers() = 0;
    // Audio thread; no lock, no allocation. The host's tempo when it changes,
    // read by the binding at the start of a block.
    virtual void set_tempo(float bpm) noexcept = 0;

    // Main thread only: the background task, the serializer of the whole
    // state for the host's chunk, and the converter for bank loading; each may
    // be null.
    void set_bkg(BkgInterface& bkg) { do_set_bkg(bkg); }
    [[nodiscard]] BkgInterface* get_bkg() const { return do_get_bkg(); }
    [[nodiscard]] basic::SerializableInterface* get_serializer() const
    {
        return do_get_serializer();
    }
    [[nodiscard]] BankConverterInterface* get_converter() const { return do_get_converter(); }

protected:
    virtual void do_set_bkg(BkgInterface& bkg) = 0;
    [[nodiscard]] virtual BkgInterface* do_get_bkg() const = 0;
    [[nodiscard]] virtual basic::SerializableInterface* do_get_serializer() const = 0;
    [[nodiscard]] virtual BankConverterInterface* do_get_converter() const = 0;

public:
    // Main thread only: the programs' normalised values to and from the
    // parameters.
    virtual void do_set_program(const ProgramSlot& program) = 0;
    virtual void do_get_program(ProgramSlot& program) = 0;
    virtual void do_get_program_parameters(ProgramSlot& program) = 0;

    // Audio thread; no lock, no allocation. One block into `out` (one pointer
    // per channel), replacing or adding to its content. The binding passes
    // false as `flag`; the answer is the flag unchanged.
    virtual bool do_process_replacing(float** out, const float** in, long frames,
                                      bool flag) noexcept = 0;
    virtual bool do_process_mix(float** out, const float** in, long frames, bool flag) noexcept = 0;
};

} // namespace mppi
