#pragma once

#include "lib/mppi/DspInterface.h"

#include <stdexcept>
#include <string>

namespace test_support {

// An effect that does nothing: every operation answers 0, null, an empty text
// or false (and the settings manager and pins throw), except the parameter look-ups and the program
// parameters, which a test double adds (alone, or beside a framework class that supplies them).
class DspStub : public virtual mppi::DspInterface
{
public:
    int init() override { return 0; }
    void set_default_state() override {}
    void restore() override {}
    mppi::HostDspInterface* get_host() override { return nullptr; }
    void set_host(mppi::HostDspInterface&) override {}
    mppi::GuiInterface* get_gui() override { return nullptr; }
    void set_gui(mppi::GuiInterface&) override {}
    mppi::SettingMgr& use_settings() override { throw_absent("use_settings"); }
    const mppi::SettingMgr& use_settings() const override { throw_absent("use_settings"); }
    int get_nbr_in_pin() const override { return 0; }
    const mppi::PinProperty& get_input_pin_prop(int) const override
    {
        throw_absent("get_input_pin_prop");
    }
    int get_nbr_out_pin() const override { return 0; }
    const mppi::PinProperty& get_output_pin_prop(int) const override
    {
        throw_absent("get_output_pin_prop");
    }
    int get_min_sample_freq() const override { return 0; }
    int get_max_sample_freq() const override { return 0; }
    void set_sample_freq(float) override {}
    void set_program_name(const std::string&) override {}
    std::string get_program_name() const override { return {}; }
    void send_scalar_msg(int, float) noexcept override {}
    void update_bank(basic::LockFreeBuffer<mppi::BankManager>&) noexcept override {}
    double get_property(const char*) const override { return 0.0; }
    std::string get_string_property(const char*) const override { return {}; }
    void clear_buffers() override {}
    void set_tempo(float) noexcept override {}
    void do_set_program(const mppi::ProgramSlot&) override {}
    void do_get_program(mppi::ProgramSlot&) override {}
    bool do_process_replacing(float**, const float**, long, bool flag) noexcept override
    {
        return flag;
    }
    bool do_process_mix(float**, const float**, long, bool flag) noexcept override { return flag; }

protected:
    // The stub has no settings manager and no pins to hand out.
    [[noreturn]] static void throw_absent(const char* what)
    {
        throw std::logic_error(std::string("test_support::DspStub::") + what + "() : absent.");
    }

    void do_set_bkg(mppi::BkgInterface&) override {}
    mppi::BkgInterface* do_get_bkg() const override { return nullptr; }
    basic::SerializableInterface* do_get_serializer() const override { return nullptr; }
    mppi::BankConverterInterface* do_get_converter() const override { return nullptr; }
};

} // namespace test_support
