#include "lib/mppi/MidiDevSelDispatcher.h"

#include "lib/mppi/MidiDevSelCompInterface.h"

namespace mppi {

MidiDevSelDispatcher::~MidiDevSelDispatcher() = default;

void MidiDevSelDispatcher::register_dev_list(MidiDevSelCompInterface& comp)
{
    _comp_list.push_back(&comp);
    comp.register_ack(*this);
}

template <typename F>
int MidiDevSelDispatcher::for_each_comp(F&& f)
{
    for (MidiDevSelCompInterface* comp : _comp_list) {
        const int rc = f(*comp);
        if (rc != 0) {
            return rc;
        }
    }
    return 0;
}

int MidiDevSelDispatcher::scan_side(std::vector<Properties>& list,
                                    int (MidiDevSelCompInterface::*scan)(int))
{
    return for_each_comp([&](MidiDevSelCompInterface& comp) {
        const size_t start = list.size();
        const int rc = (comp.*scan)(int(start));
        if (rc != 0) {
            list.resize(start);
        }
        return rc;
    });
}

int MidiDevSelDispatcher::init()
{
    const int rc = for_each_comp([](MidiDevSelCompInterface& comp) { return comp.init(); });
    _init_flag = (rc == 0);
    return rc;
}

int MidiDevSelDispatcher::restore()
{
    // Shut-down restores every component even when one of them fails.
    int rc = 0;
    for (MidiDevSelCompInterface* comp : _comp_list) {
        const int rc_comp = comp->restore();
        if (rc == 0) {
            rc = rc_comp;
        }
    }
    _init_flag = false;
    _dev_in_list.clear();
    _dev_out_list.clear();
    return rc;
}

int MidiDevSelDispatcher::configure_dev_in()
{
    return for_each_comp([this](MidiDevSelCompInterface& comp) {
        return comp.configure_dev_in(get_dev_in_cur_id());
    });
}

int MidiDevSelDispatcher::configure_dev_out()
{
    return for_each_comp([this](MidiDevSelCompInterface& comp) {
        return comp.configure_dev_out(get_dev_out_cur_id());
    });
}

int MidiDevSelDispatcher::scan_dev_in()
{
    return scan_side(_dev_in_list, &MidiDevSelCompInterface::scan_dev_in);
}

int MidiDevSelDispatcher::scan_dev_out()
{
    return scan_side(_dev_out_list, &MidiDevSelCompInterface::scan_dev_out);
}

int MidiDevSelDispatcher::do_select_dev_in(int id, MidiInInterface*& dev)
{
    dev = nullptr;
    return for_each_comp(
        [&](MidiDevSelCompInterface& comp) { return comp.select_dev_in(id, dev); });
}

int MidiDevSelDispatcher::do_select_dev_out(int id, MidiOutInterface*& dev)
{
    dev = nullptr;
    return for_each_comp(
        [&](MidiDevSelCompInterface& comp) { return comp.select_dev_out(id, dev); });
}

} // namespace mppi
