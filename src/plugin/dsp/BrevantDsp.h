#pragma once

#include "lib/basic/Array.h"
#include "lib/dsp/Filter2p.h"
#include "lib/dsp/InterpFncFiniteAsym.h"
#include "lib/dsp/ParamInertia.h"
#include "lib/mppi/DspInterface.h"
#include "lib/mppi/MidiReceiverInterface.h"
#include "lib/mppi/NotifiedInterface.h"
#include "lib/mppi/NotifierInterface.h"
#include "lib/mppi/PinProperty.h"
#include "lib/mppi/PluginInternal.h"
#include "lib/mppi/SettingDspMixin.h"
#include "plugin/dsp/FilterTapStage.h"

#include <atomic>
#include <string>

class ParamCutFreq;
class ParamReso;
class ParamNbrBand;
class ParamDistoGain;
class ParamDistoRouting;
class ParamHarmFactor;

// The effect: a resonant two-pole low-pass at the cut-off and up to 15
// delayed band-pass bands at whole multiples of the cut-off times the band
// spacing, summed under a constant-power tone cross-fade, with a soft-clip
// distortion on the low-pass road ("Pre") or on the sum ("Post").
//
// Lifecycle (main thread unless said otherwise): construct; `set_host` and
// `set_gui`; `init`; `set_default_state`; `set_sample_freq` then
// `clear_buffers`; then block processing on the audio thread, with parameter
// writes and program changes from the main thread (they only raise a change
// flag, read at the next control tick, at most 64 samples later);
// `clear_buffers` on suspend and resume, `set_sample_freq` followed by
// `clear_buffers` on a rate change, both outside block processing; `restore`
// after the last block; destruction deletes the host adapter.
class BrevantDsp : public virtual mppi::DspInterface,
                   public mppi::MidiReceiverInterface,
                   public mppi::NotifiedInterface,
                   public mppi::NotifierInterface,
                   public mppi::PluginInternal,
                   public mppi::SettingDspMixin
{
public:
    // The distortion curve f(x) = (2/pi) atan((pi/2) x): slope 1 at 0,
    // bounded by -1 and 1.
    struct DistoFnc
    {
        [[nodiscard]] double operator()(double x) const noexcept;
    };
    using DistoTable = dsp::InterpFncFiniteAsym<-32, 32, DistoFnc>;

    static constexpr int NBR_PARAM = 8;
    static constexpr long MAX_BLOCK_LEN = FilterTapStage::MAX_BLOCK_LEN;
    static constexpr int MIN_SAMPLE_FREQ = 4000;
    static constexpr int MAX_SAMPLE_FREQ = 384000;

    // Main thread only; may allocate. Builds the distortion table (once per
    // process) and the fields; no parameter exists yet.
    BrevantDsp();
    ~BrevantDsp() override;

    // mppi::DspInterface, main thread only.
    [[nodiscard]] int init() override;
    void set_default_state() override;
    void restore() override;
    void set_host(mppi::HostDspInterface& host) override;
    [[nodiscard]] mppi::HostDspInterface* get_host() override;
    void set_gui(mppi::GuiInterface& gui) override;
    [[nodiscard]] mppi::GuiInterface* get_gui() override;
    [[nodiscard]] int get_nbr_in_pin() const override;
    [[nodiscard]] const mppi::PinProperty& get_input_pin_prop(int pin) const override;
    [[nodiscard]] int get_nbr_out_pin() const override;
    [[nodiscard]] const mppi::PinProperty& get_output_pin_prop(int pin) const override;
    [[nodiscard]] int get_min_sample_freq() const override;
    [[nodiscard]] int get_max_sample_freq() const override;
    // Main thread only, outside block processing; may allocate (delay lines).
    // A rate that is not finite or not above 0 is ignored.
    void set_sample_freq(float fs) override;
    // Does nothing.
    virtual void set_sample_scale(float scale);
    [[nodiscard]] int get_nbr_param() const noexcept override;
    [[nodiscard]] mppi::NormalizedParamInterface& get_param_ref(int index) const noexcept override;
    void set_program_name(const std::string& name) override;
    [[nodiscard]] std::string get_program_name() const override;
    // Audio thread; does nothing.
    void send_scalar_msg(int msg, float value) noexcept override;
    // Audio thread; leaves the offered bank in the buffer.
    void update_bank(basic::LockFreeBuffer<mppi::BankManager>& buffer) noexcept override;
    [[nodiscard]] double get_property(const char* name) const override;
    [[nodiscard]] std::string get_string_property(const char* name) const override;
    // Main thread only, outside block processing; no allocation. Glides,
    // filters (memories included), band layout and band road jump to the
    // current parameter values.
    void clear_buffers() noexcept override;
    // Audio thread; does nothing.
    void set_tempo(float bpm) noexcept override;

    // Any thread; no lock, no allocation. Records that one of parameters 0 to
    // 5 changed.
    void notify(mppi::NotifierInterface& sender) noexcept override;

    // Audio thread; no lock, no allocation. One block of any length, in chunks
    // of at most 64 samples with a control tick every 64 samples. out and in
    // hold two channel pointers each (left, right), connected or not; out may
    // be in. A block of 0 or fewer samples changes nothing. The answer is
    // `flag` unchanged. The block runs with subnormal numbers flushed to zero
    // (dsp::DenormalFlushScope); the caller's floating-point mode is the same
    // on return.
    bool do_process_replacing(float** dst_arr, const float** src_arr, long nbr_spl,
                              bool flag) noexcept override;
    // The same, adding the result into out.
    bool do_process_mix(float** dst_arr, const float** src_arr, long nbr_spl,
                        bool flag) noexcept override;

    // Main thread only: parameters 0 to 7 to and from a program. Values equal
    // to the parameter's are not written (nor notified).
    void do_set_program(const mppi::ProgramSlot& program) override;
    void do_get_program(mppi::ProgramSlot& program) override;

    // Audio thread (control rate); no lock, no allocation. The low-pass side
    // of the tone cross-fade: a new target reached in 640 samples, or the
    // target at once.
    void set_wanted_harm_lpf_balance(double val) noexcept;
    void fix_harm_lpf_balance() noexcept;

    // Audio thread; no lock, no allocation. One control-rate update covering
    // nbr_spl samples (the block hooks pass 64).
    void tick(long nbr_spl) noexcept;

    // Empty.
    void assert_param() noexcept {}
    void update_param() noexcept {}

    // Read-only views, for tests and benchmarks.
    [[nodiscard]] const FilterTapStage& get_tap_stage() const noexcept { return _tap_stage; }
    [[nodiscard]] const dsp::Filter2p& get_lpf(int chn) const noexcept { return _lpf[chn]; }
    [[nodiscard]] double get_harm_lpf_balance() const noexcept { return _harm_lpf_balance_cur; }
    [[nodiscard]] bool is_stereo_in() const noexcept { return _stereo_in_flag; }
    [[nodiscard]] bool is_stereo_out() const noexcept { return _stereo_out_flag; }

protected:
    void do_set_bkg(mppi::BkgInterface& bkg) override;
    [[nodiscard]] mppi::BkgInterface* do_get_bkg() const override;
    [[nodiscard]] basic::SerializableInterface* do_get_serializer() const override;
    [[nodiscard]] mppi::BankConverterInterface* do_get_converter() const override;

private:
    using ScratchBlock = FilterTapStage::ScratchBlock;

    // Audio path (BrevantDsp_audio.cpp). Channel arrays hold one pointer per
    // channel; every count is 1 to 64.
    template <bool MIX>
    void process_blocks(float** dst_arr, const float** src_arr, long nbr_spl) noexcept;
    [[nodiscard]] const float** prepare_mono_src(const float** in, const float** mono_in,
                                                 long nbr_spl) noexcept;
    void process_chunk_replacing(float** out, const float** in, long nbr_spl) noexcept;
    void process_chunk_mix(float** out, const float** in, long nbr_spl) noexcept;
    void update_io_stereo_flags() noexcept;
    [[nodiscard]] bool is_post_routing() const noexcept;
    [[nodiscard]] float get_gain() const noexcept;
    void mix_stereo_to_mono(float* dst, const float* const* src, long nbr_spl) const noexcept;
    void mix_mono(float* const* dst, const float* const* src, long nbr_spl) const noexcept;
    void mix_stereo(float* const* dst, const float* const* src, long nbr_spl) const noexcept;
    // Table curve at gain x (mono roads) or exact curve (stereo roads).
    void process_disto_mono_r(float* const* dst, const float* const* src,
                              long nbr_spl) const noexcept;
    void process_disto_mono_mix(float* const* dst, const float* const* src,
                                long nbr_spl) const noexcept;
    void process_disto_stereo_r(float* const* dst, const float* const* src,
                                long nbr_spl) const noexcept;
    void process_disto_stereo_mix(float* const* dst, const float* const* src,
                                  long nbr_spl) const noexcept;
    // dst += g lp (dst = g lp while no band is active), g the low-pass balance.
    void process_harm_balance_mono(float* const* dst, const float* const* lp,
                                   long nbr_spl) noexcept;
    void process_harm_balance_stereo(float* const* dst, const float* const* lp,
                                     long nbr_spl) noexcept;
    void process_harm_balance(float* const* dst, const float* const* lp, int nbr_chn,
                              long nbr_spl) noexcept;
    // The band road from src into band_dst (as many channels as the stage
    // runs) and the resonant low-passes of channels 0 to nbr_lpf - 1 over
    // src into their low-pass rows.
    void run_roads(float** band_dst, const float** src, int nbr_lpf, long nbr_spl) noexcept;

    // Main thread only: the MIDI manager's persistent settings and the
    // default controller map, parameter i on NRPN i.
    void set_up_midi();

    // Control rate and layout (BrevantDsp_tick.cpp).
    void update_lpf() noexcept;
    void set_band_param() noexcept;
    void set_band_param_fixed() noexcept;
    void set_filter_band_param(int nbr_band) noexcept;
    [[nodiscard]] float check_cutoff_freq(float freq) const noexcept;
    // Rounded "Nbr Bands" - 1: the band-pass bands wanted, 0 to 15.
    [[nodiscard]] int get_wanted_band_count() const noexcept;
    [[nodiscard]] int get_rounded_nbr_band() const noexcept;
    // Highest band number at or below 0.475 times the rate, 0 to 15.
    [[nodiscard]] int get_band_limit(float f1) const noexcept;
    [[nodiscard]] float get_band_base_freq() const noexcept;
    // True once init made the parameters and until restore releases them.
    [[nodiscard]] bool has_params() const noexcept { return _routing_param_ptr != nullptr; }

    mppi::HostDspInterface* _host_ptr = nullptr;
    mppi::GuiInterface* _gui_ptr = nullptr;
    FilterTapStage _tap_stage;
    mppi::PinProperty _pin_in{2};
    mppi::PinProperty _pin_out{2};
    int _tick_spl_cnt = 0;
    bool _stereo_in_flag = false;
    bool _stereo_out_flag = false;
    float _sample_freq = 0;
    // Raised by notify (any thread, release) and set_default_state, taken by
    // tick and clear_buffers (acquire) before they read the parameters, so a
    // change stored after the take raises it again for the next tick.
    std::atomic<bool> _param_changed_flag{true};
    std::string _prog_name = "Morvanel default";
    dsp::ParamInertia _cutoff_inertia;
    ParamCutFreq* _cutoff_param_ptr = nullptr;
    dsp::ParamInertia _reso_inertia;
    ParamReso* _reso_param_ptr = nullptr;
    ParamNbrBand* _nbr_band_param_ptr = nullptr;
    int _nbr_band_old = 1;
    int _nbr_band_cur = 1;
    dsp::ParamInertia _spacing_inertia;
    ParamHarmFactor* _spacing_param_ptr = nullptr;
    dsp::ParamInertia _gain_inertia;
    ParamDistoGain* _gain_param_ptr = nullptr;
    ParamDistoRouting* _routing_param_ptr = nullptr;
    double _harm_lpf_balance_wanted = 0.5;
    double _harm_lpf_balance_cur = 0.5;
    double _harm_lpf_balance_step = 0;
    ScratchBlock _buf_arr = {};
    dsp::Filter2p _lpf[2];
    float* _lpf_buf_ptr_arr[2];
    float* _band_buf_ptr_arr[2];
    float* _mono_buf_ptr;
};
