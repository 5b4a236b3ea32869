#pragma once

#include "lib/mppi/PinProperty.h"
#include "lib/mppi/ProgramSlot.h"
#include "support/SettingsDsp.h"

#include <atomic>
#include <initializer_list>
#include <string>

namespace test_support {

// An effect as the host binding drives it: named parameters, the settings manager, one
// stereo input and output pin, rates up to MAX_RATE, a "hide_parameters" property a test
// can raise, and counters of what the binding asked of it. The host adapter it is given is
// owned, as an effect owns it. Counters read by the audio thread are atomics.
class RecordingDsp : public SettingsDsp
{
public:
    static constexpr int MAX_RATE = 192000;

    RecordingDsp(std::initializer_list<std::string> names = {"A", "B", "C"}) : SettingsDsp(names) {}
    ~RecordingDsp() override { delete _owned_host; }

    void set_host(mppi::HostDspInterface& host) override
    {
        _owned_host = &host;
        SettingsDsp::set_host(host);
    }
    int init() override { return init_settings(); }
    void restore() override { restore_settings(); }
    int get_nbr_in_pin() const override { return 1; }
    const mppi::PinProperty& get_input_pin_prop(int) const override { return _pin; }
    int get_nbr_out_pin() const override { return 1; }
    const mppi::PinProperty& get_output_pin_prop(int) const override { return _pin; }
    int get_max_sample_freq() const override { return MAX_RATE; }
    void set_sample_freq(float hz) override { rate = hz; }
    double get_property(const char* name) const override
    {
        return std::string(name) == "hide_parameters" ? hide_flag : SettingsDsp::get_property(name);
    }
    void set_program_name(const std::string& name) override { prog_name = name; }
    void update_bank(basic::LockFreeBuffer<mppi::BankManager>&) noexcept override
    {
        nbr_update_bank.fetch_add(1);
    }
    void clear_buffers() override { ++nbr_clear; }
    void set_tempo(float bpm) noexcept override { tempo.store(bpm); }
    void do_set_program(const mppi::ProgramSlot& program) override
    {
        ++nbr_set_program;
        for (int i = 0; i < get_nbr_param() && i < program.get_nbr_param(); ++i) {
            get_param_ref(i).set_nrm_val(program.get_param(i));
        }
    }
    bool do_process_replacing(float** out, const float** in, long frames,
                              bool flag) noexcept override
    {
        for (long i = 0; i < frames; ++i) {
            out[0][i] = in[0][i];
            out[1][i] = in[1][i];
        }
        nbr_frames.fetch_add(frames);
        return flag;
    }

    std::atomic<int> nbr_update_bank{0};
    std::atomic<long> nbr_frames{0};
    std::atomic<float> tempo{0.0f};
    int nbr_clear = 0;
    int nbr_set_program = 0;
    float rate = 0;
    double hide_flag = 0;
    std::string prog_name;

private:
    mppi::PinProperty _pin{2};
    mppi::HostDspInterface* _owned_host = nullptr;
};

} // namespace test_support
