#pragma once

#include "lib/mppi/MidiDevSelCompInterface.h"
#include "lib/mppi/MidiDevSelDispatcher.h"
#include "lib/mppi/MidiInInterface.h"
#include "lib/mppi/MidiOutInterface.h"
#include "support/RecordingMidiReceiver.h"

#include <deque>
#include <string>
#include <utility>
#include <vector>

namespace test_support {

// Writes a line to the log, if there is one, and answers rc.
inline int log_call(std::vector<std::string>* log, const std::string& line, int rc = 0)
{
    if (log != nullptr) {
        log->push_back(line);
    }
    return rc;
}

// A device of either side (Base: the input or output interface) that logs
// "connect <name>" and "disconnect <name>" and answers the codes set.
template <typename Base>
class FakeMidiDev : public Base
{
public:
    FakeMidiDev(std::string name, std::vector<std::string>* log) : _name(std::move(name)), _log(log)
    {
    }
    int connect() override
    {
        connected = connected || connect_rc == 0;
        return log_call(_log, "connect " + _name, connect_rc);
    }
    int disconnect() override
    {
        connected = connected && disconnect_rc != 0;
        return log_call(_log, "disconnect " + _name, disconnect_rc);
    }
    void process_pre() noexcept override {}
    void process_post() noexcept override {}

    int connect_rc = 0;
    int disconnect_rc = 0;
    bool connected = false;

private:
    std::string _name;
    std::vector<std::string>* _log;
};

// An input device with no channel state.
class FakeMidiIn : public FakeMidiDev<mppi::MidiInInterface>
{
public:
    using FakeMidiDev::FakeMidiDev;
    int read_from_memory(const unsigned char*) override { return 0; }
    int write_to_memory(unsigned char*) const override { return 0; }
    long get_object_size() const override { return 0; }

protected:
    void do_reset_time_stamp(long) noexcept override {}
    void do_set_pitch_bend_range(float) override {}
    float do_get_pitch_bend_range(int) const override { return 0.0f; }
};

// An output device that records what it is sent.
using FakeMidiOut = FakeMidiDev<RecordingMidiReceiver<mppi::MidiOutInterface>>;

// A back end with named devices on each side. It logs selections and
// removals ("select in 1", "remove out") and answers scan_rc to a scan.
class FakeMidiDevComp : public mppi::MidiDevSelCompInterface
{
public:
    FakeMidiDevComp(const std::vector<std::string>& names_in,
                    const std::vector<std::string>& names_out,
                    std::vector<std::string>* log = nullptr)
        : _names_in(names_in), _names_out(names_out), _log(log)
    {
        for (const std::string& name : names_in) {
            dev_in.emplace_back(name, log);
        }
        for (const std::string& name : names_out) {
            dev_out.emplace_back(name, log);
        }
    }

    int init() override { return 0; }

    int scan_rc = 0;
    std::deque<FakeMidiIn> dev_in;
    std::deque<FakeMidiOut> dev_out;

protected:
    int do_restore() override { return 0; }
    int do_configure_dev_in(int) override { return 0; }
    int do_configure_dev_out(int) override { return 0; }
    int do_scan_dev_in(int) override
    {
        for (const std::string& name : _names_in) {
            use_dispatcher()->add_dev_in({name, 0});
        }
        return scan_rc;
    }
    int do_scan_dev_out(int) override
    {
        for (const std::string& name : _names_out) {
            use_dispatcher()->add_dev_out({name, 0});
        }
        return scan_rc;
    }
    int do_select_dev_in(int id, mppi::MidiInInterface*& dev) override
    {
        dev = &dev_in[size_t(id - get_start_id_in())];
        return log_call(_log, "select in " + std::to_string(id));
    }
    int do_select_dev_out(int id, mppi::MidiOutInterface*& dev) override
    {
        dev = &dev_out[size_t(id - get_start_id_out())];
        return log_call(_log, "select out " + std::to_string(id));
    }
    int do_remove_dev_in() override { return log_call(_log, "remove in"); }
    int do_remove_dev_out() override { return log_call(_log, "remove out"); }

private:
    std::vector<std::string> _names_in;
    std::vector<std::string> _names_out;
    std::vector<std::string>* _log;
};

} // namespace test_support
