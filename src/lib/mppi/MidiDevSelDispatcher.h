#pragma once

#include "lib/mppi/MidiDevSelectorInterface.h"

#include <vector>

namespace mppi {

class MidiDevSelCompInterface;

// The device selector of the plug-in: it merges the devices of its
// registered components, whose id ranges follow one another from 0 in
// registration order, and passes every selection to all of them.
//
// Main thread only; may allocate. Components are not owned and must outlive
// the dispatcher's use; they are registered before the first scan.
class MidiDevSelDispatcher : public MidiDevSelectorInterface
{
public:
    MidiDevSelDispatcher() = default;
    ~MidiDevSelDispatcher() override;

    // Appends the component and links it back to the dispatcher.
    void register_dev_list(MidiDevSelCompInterface& comp);
    // Components append their devices while they scan.
    void add_dev_in(const Properties& prop) { _dev_in_list.push_back(prop); }
    void add_dev_out(const Properties& prop) { _dev_out_list.push_back(prop); }

    // Every component in order; the first error stops and is returned.
    [[nodiscard]] int init() override;
    // Every component in order, then both lists are emptied; the current ids
    // and the manager's device links stay. The first error is returned.
    [[nodiscard]] int restore() override;
    [[nodiscard]] int configure_dev_in() override;
    [[nodiscard]] int configure_dev_out() override;
    // A component whose scan fails leaves no device of its own in the list.
    [[nodiscard]] int scan_dev_in() override;
    [[nodiscard]] int scan_dev_out() override;
    [[nodiscard]] int do_select_dev_in(int id, MidiInInterface*& dev) override;
    [[nodiscard]] int do_select_dev_out(int id, MidiOutInterface*& dev) override;

    [[nodiscard]] bool is_initialised() const noexcept { return _init_flag; }

private:
    // Runs f on every component in order until one returns non-zero.
    template <typename F>
    [[nodiscard]] int for_each_comp(F&& f);
    [[nodiscard]] int scan_side(std::vector<Properties>& list,
                                int (MidiDevSelCompInterface::*scan)(int));

    std::vector<MidiDevSelCompInterface*> _comp_list;
    bool _init_flag = false;
};

} // namespace mppi
