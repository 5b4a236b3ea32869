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

// The connection state of a fake device: the codes that connect and
// disconnect answer (0 = success) and a log of both calls, if one is given.
class FakeDevState
{
public:
    explicit FakeDevState(std::string name) : _name(std::move(name)) {}

    int connect_rc = 0;
    int disconnect_rc = 0;
    bool connected = false;
    std::vector<std::string>* log = nullptr;

protected:
    int note_connect()
    {
        connected = connected || connect_rc == 0;
        return note("connect ", connect_rc);
    }
    int note_disconnect()
    {
        connected = connected && disconnect_rc != 0;
        return note("disconnect ", disconnect_rc);
    }

private:
    int note(const char* what, int rc)
    {
        if (log != nullptr) {
            log->push_back(what + _name);
        }
        return rc;
    }

    std::string _name;
};

// An input device that only records being connected and disconnected.
class FakeMidiIn : public mppi::MidiInInterface, public FakeDevState
{
public:
    explicit FakeMidiIn(std::string name = "in") : FakeDevState(std::move(name)) {}
    int connect() override { return note_connect(); }
    int disconnect() override { return note_disconnect(); }
    void process_pre() noexcept override {}
    void process_post() noexcept override {}
    int read_from_memory(const unsigned char*) override { return 0; }
    int write_to_memory(unsigned char*) const override { return 0; }
    long get_object_size() const override { return 0; }

protected:
    void do_reset_time_stamp(long) noexcept override {}
    void do_set_pitch_bend_range(float) override {}
    float do_get_pitch_bend_range(int) const override { return 0.0f; }
};

// An output device that records what it is sent.
class FakeMidiOut : public RecordingMidiReceiver<mppi::MidiOutInterface>, public FakeDevState
{
public:
    explicit FakeMidiOut(std::string name = "out") : FakeDevState(std::move(name)) {}
    int connect() override { return note_connect(); }
    int disconnect() override { return note_disconnect(); }
    void process_pre() noexcept override {}
    void process_post() noexcept override {}
};

// A back end with named devices on each side; it logs selections and
// removals ("select in 1", "remove out"). Devices are made at construction.
class FakeMidiDevComp : public mppi::MidiDevSelCompInterface
{
public:
    FakeMidiDevComp(std::vector<std::string> names_in, std::vector<std::string> names_out,
                    std::vector<std::string>* log = nullptr)
        : _names_in(std::move(names_in)), _names_out(std::move(names_out)), _log(log)
    {
        for (const std::string& name : _names_in) {
            dev_in.emplace_back(name).log = log;
        }
        for (const std::string& name : _names_out) {
            dev_out.emplace_back(name).log = log;
        }
    }

    int init() override { return init_rc; }
    int scan_rc = 0;
    int init_rc = 0;
    std::deque<FakeMidiIn> dev_in;
    std::deque<FakeMidiOut> dev_out;

protected:
    int do_restore() override { return 0; }
    int do_configure_dev_in(int) override { return 0; }
    int do_configure_dev_out(int) override { return 0; }
    int do_scan_dev_in(int) override { return scan(_names_in, true); }
    int do_scan_dev_out(int) override { return scan(_names_out, false); }
    int do_select_dev_in(int id, mppi::MidiInInterface*& dev) override
    {
        dev = &dev_in[size_t(id - get_start_id_in())];
        return note("select in " + std::to_string(id));
    }
    int do_select_dev_out(int id, mppi::MidiOutInterface*& dev) override
    {
        dev = &dev_out[size_t(id - get_start_id_out())];
        return note("select out " + std::to_string(id));
    }
    int do_remove_dev_in() override { return note("remove in"); }
    int do_remove_dev_out() override { return note("remove out"); }

private:
    int scan(const std::vector<std::string>& names, bool in_flag)
    {
        for (const std::string& name : names) {
            in_flag ? use_dispatcher()->add_dev_in({name, 0})
                    : use_dispatcher()->add_dev_out({name, 0});
        }
        return scan_rc;
    }
    int note(const std::string& line)
    {
        if (_log != nullptr) {
            _log->push_back(line);
        }
        return 0;
    }

    std::vector<std::string> _names_in;
    std::vector<std::string> _names_out;
    std::vector<std::string>* _log;
};

} // namespace test_support
