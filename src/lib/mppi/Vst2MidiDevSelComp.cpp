#include "lib/mppi/Vst2MidiDevSelComp.h"

#include "lib/mppi/MidiDevSelDispatcher.h"

namespace mppi {

Vst2MidiDevSelComp::~Vst2MidiDevSelComp() = default;

int Vst2MidiDevSelComp::init()
{
    const int rc = _dev_in.MidiInChn::init();
    return (rc != 0) ? rc : _dev_out.init();
}

void Vst2MidiDevSelComp::set_midi_mgr(MidiMgr& mgr)
{
    _dev_in.set_midi_mgr(mgr);
    _dev_out.set_midi_mgr(mgr);
}

int Vst2MidiDevSelComp::do_restore()
{
    _dev_in.restore();
    _dev_out.restore();
    return 0;
}

int Vst2MidiDevSelComp::do_scan_dev_in(int /*start_id*/)
{
    if (MidiDevSelDispatcher* dispatcher = use_dispatcher()) {
        dispatcher->add_dev_in({NAME_IN, 0});
    }
    return 0;
}

int Vst2MidiDevSelComp::do_scan_dev_out(int /*start_id*/)
{
    if (MidiDevSelDispatcher* dispatcher = use_dispatcher()) {
        dispatcher->add_dev_out({NAME_OUT, 0});
    }
    return 0;
}

int Vst2MidiDevSelComp::do_select_dev_in(int id, MidiInInterface*& dev)
{
    if (id == get_start_id_in()) {
        dev = &_dev_in;
    }
    return 0;
}

int Vst2MidiDevSelComp::do_select_dev_out(int id, MidiOutInterface*& dev)
{
    if (id == get_start_id_out()) {
        dev = &_dev_out;
    }
    return 0;
}

} // namespace mppi
