#include "lib/mppi/MidiDevInterface.h"

#include "lib/mppi/MidiMgr.h"

namespace mppi {

MidiDevInterface::~MidiDevInterface() = default;

int MidiDevInterface::save_settings(basic::ConfKeyMulti& /*port_key*/)
{
    return 0;
}

int MidiDevInterface::load_settings(const basic::ConfKeyMulti& /*port_key*/)
{
    return 0;
}

int MidiDevInterface::init()
{
    return 0;
}

void MidiDevInterface::restore() {}

void MidiDevInterface::set_midi_mgr(MidiMgr& mgr)
{
    _midi_mgr = &mgr;
    _dsp = mgr.use_dsp();
    _midi_client = mgr.use_midi_client();
}

} // namespace mppi
