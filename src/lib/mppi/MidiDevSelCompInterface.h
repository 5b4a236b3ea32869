#pragma once

namespace mppi {

class MidiDevSelDispatcher;
class MidiInInterface;
class MidiOutInterface;

// One back end's share of the MIDI devices: while the dispatcher scans, the
// component adds its devices to the dispatcher's lists and so owns a
// contiguous range of input ids and one of output ids. Selecting an id in its
// range hands out its device; selecting any other id tells it to drop its
// own.
//
// Main thread only; may allocate. Lifecycle: `register_ack` (through the
// dispatcher's `register_dev_list`), then a scan gives the ranges, `init`
// sets the devices up; `restore` undoes both.
class MidiDevSelCompInterface
{
public:
    MidiDevSelCompInterface() = default;
    MidiDevSelCompInterface(const MidiDevSelCompInterface&) = delete;
    MidiDevSelCompInterface& operator=(const MidiDevSelCompInterface&) = delete;
    virtual ~MidiDevSelCompInterface();

    // Sets the component's devices up; 0 on success.
    [[nodiscard]] virtual int init() = 0;

    void register_ack(MidiDevSelDispatcher& dispatcher) noexcept { _dispatcher = &dispatcher; }
    [[nodiscard]] MidiDevSelDispatcher* use_dispatcher() noexcept { return _dispatcher; }
    [[nodiscard]] const MidiDevSelDispatcher* use_dispatcher() const noexcept
    {
        return _dispatcher;
    }

    // The ranges: first id -1 and count 0 until scanned.
    [[nodiscard]] int get_start_id_in() const noexcept { return _start_id_in; }
    [[nodiscard]] int get_nbr_dev_in() const noexcept { return _nbr_dev_in; }
    [[nodiscard]] int get_start_id_out() const noexcept { return _start_id_out; }
    [[nodiscard]] int get_nbr_dev_out() const noexcept { return _nbr_dev_out; }

    // Adds the component's devices to the dispatcher from `start_id` on and
    // takes the range they got; an error is returned and keeps the range.
    [[nodiscard]] int scan_dev_in(int start_id);
    [[nodiscard]] int scan_dev_out(int start_id);
    // Sets the device of that id up again when it is the component's; 0
    // otherwise.
    [[nodiscard]] int configure_dev_in(int id);
    [[nodiscard]] int configure_dev_out(int id);
    // Sets `dev` to the component's device of that id, or drops the
    // component's own device when the id is not in its range.
    [[nodiscard]] int select_dev_in(int id, MidiInInterface*& dev);
    [[nodiscard]] int select_dev_out(int id, MidiOutInterface*& dev);
    // Restores the devices and forgets the ranges.
    [[nodiscard]] int restore();

protected:
    [[nodiscard]] virtual int do_restore() = 0;
    [[nodiscard]] virtual int do_configure_dev_in(int id) = 0;
    [[nodiscard]] virtual int do_configure_dev_out(int id) = 0;
    // Adds the devices with the dispatcher's `add_dev_in` / `add_dev_out`.
    [[nodiscard]] virtual int do_scan_dev_in(int start_id) = 0;
    [[nodiscard]] virtual int do_scan_dev_out(int start_id) = 0;
    [[nodiscard]] virtual int do_select_dev_in(int id, MidiInInterface*& dev) = 0;
    [[nodiscard]] virtual int do_select_dev_out(int id, MidiOutInterface*& dev) = 0;
    [[nodiscard]] virtual int do_remove_dev_in() = 0;
    [[nodiscard]] virtual int do_remove_dev_out() = 0;

private:
    [[nodiscard]] static bool is_in_range(int id, int start, int nbr) noexcept
    {
        return start >= 0 && id >= start && id < start + nbr;
    }

    MidiDevSelDispatcher* _dispatcher = nullptr;
    int _start_id_in = -1;
    int _nbr_dev_in = 0;
    int _start_id_out = -1;
    int _nbr_dev_out = 0;
};

} // namespace mppi
