#include "lib/mppi/MidiDevSelCompInterface.h"

#include "lib/mppi/MidiDevSelDispatcher.h"

namespace mppi {

MidiDevSelCompInterface::~MidiDevSelCompInterface() = default;

int MidiDevSelCompInterface::scan_dev_in(int start_id)
{
    const int rc = do_scan_dev_in(start_id);
    if (rc == 0) {
        _start_id_in = start_id;
        _nbr_dev_in = (_dispatcher != nullptr) ? _dispatcher->get_nbr_dev_in() - start_id : 0;
    }
    return rc;
}

int MidiDevSelCompInterface::scan_dev_out(int start_id)
{
    const int rc = do_scan_dev_out(start_id);
    if (rc == 0) {
        _start_id_out = start_id;
        _nbr_dev_out = (_dispatcher != nullptr) ? _dispatcher->get_nbr_dev_out() - start_id : 0;
    }
    return rc;
}

int MidiDevSelCompInterface::configure_dev_in(int id)
{
    return is_in_range(id, _start_id_in, _nbr_dev_in) ? do_configure_dev_in(id) : 0;
}

int MidiDevSelCompInterface::configure_dev_out(int id)
{
    return is_in_range(id, _start_id_out, _nbr_dev_out) ? do_configure_dev_out(id) : 0;
}

int MidiDevSelCompInterface::select_dev_in(int id, MidiInInterface*& dev)
{
    return is_in_range(id, _start_id_in, _nbr_dev_in) ? do_select_dev_in(id, dev)
                                                      : do_remove_dev_in();
}

int MidiDevSelCompInterface::select_dev_out(int id, MidiOutInterface*& dev)
{
    return is_in_range(id, _start_id_out, _nbr_dev_out) ? do_select_dev_out(id, dev)
                                                        : do_remove_dev_out();
}

int MidiDevSelCompInterface::restore()
{
    const int rc = do_restore();
    _start_id_in = -1;
    _nbr_dev_in = 0;
    _start_id_out = -1;
    _nbr_dev_out = 0;
    return rc;
}

} // namespace mppi
