#pragma once

#include "lib/mppi/HostDspInterface.h"

#include <string>

namespace test_support {

// A host adapter for an effect under test, with no plug-in behind it: the MIDI manager and
// the host-order map a test hands over (or none), every channel connected unless a test
// disconnects the right ones, every parameter free, and nothing passed on. It counts its
// `init` calls and the connection queries (one per channel asked).
class FakeHostDsp : public mppi::HostDspInterface
{
public:
    // The map must outlive the adapter's use.
    void set_param_reorder(mppi::ParamReorder* reorder_ptr) { _reorder_ptr = reorder_ptr; }
    // The manager must outlive the adapter's use.
    void set_midi_mgr(mppi::MidiMgr* midi_ptr) { _midi_ptr = midi_ptr; }
    // Whether the right input and the right output channel (channel 1 of pin 0) are
    // connected; every other channel is.
    void set_right_connected(bool input, bool output)
    {
        _right_in = input;
        _right_out = output;
    }
    [[nodiscard]] int get_nbr_init() const { return _nbr_init; }
    [[nodiscard]] long get_nbr_queries() const { return _nbr_queries; }

    int init() override
    {
        ++_nbr_init;
        return 0;
    }
    double get_property(const char*) const override { return 0.0; }
    void get_time_info(mppi::TimeInfo&) const override {}
    bool is_input_connected(int pin, int chn) const noexcept override
    {
        ++_nbr_queries;
        return pin != 0 || chn != 1 || _right_in;
    }
    bool is_output_connected(int pin, int chn) const noexcept override
    {
        ++_nbr_queries;
        return pin != 0 || chn != 1 || _right_out;
    }
    mppi::MidiMgr* use_midi_interface() override { return _midi_ptr; }
    void* use_copperlan_mgr() override { return nullptr; }
    bool is_param_free(int, int) override { return true; }
    bool reserve_param(int, int) override { return true; }
    void release_param(int, int) override {}
    void set_param(int, float, int) override {}
    void set_param_host_only(int, float, int) override {}
    void set_param_pi_only(int, float, int) override {}
    void set_program(const mppi::ProgramSlot&, int) override {}
    mppi::ParamReorder* use_param_reorder() override { return _reorder_ptr; }
    void update_bank(const mppi::BankManager&) override {}
    void do_start_bkg_thread() override {}
    void do_stop_bkg_thread() override {}
    std::string do_get_plugin_dir() override { return {}; }

private:
    mppi::ParamReorder* _reorder_ptr = nullptr;
    mppi::MidiMgr* _midi_ptr = nullptr;
    bool _right_in = true;
    bool _right_out = true;
    int _nbr_init = 0;
    // Asked from the audio thread of a single-threaded test.
    mutable long _nbr_queries = 0;
};

} // namespace test_support
