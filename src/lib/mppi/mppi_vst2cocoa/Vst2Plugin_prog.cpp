// Programs, chunks and the factory bank of the plug-in object.

#include "lib/mppi/mppi_vst2cocoa/Vst2Plugin.h"

#include "lib/basic/StrBounded.h"
#include "lib/mppi/DspInterface.h"
#include "lib/mppi/GuiInterface.h"
#include "lib/mppi/MidiMgr.h"
#include "lib/mppi/TwbkFileOp.h"
#include "lib/sys/ResourceManager.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace mppi {

bool Vst2Plugin::setProgram(int index)
{
    if (index < 0 || index >= _bank.get_nbr_prog()) {
        return false;
    }
    _cur_prog_index = index;
    set_program_pi_and_host(_bank[index], PRIO_PROGRAM, true, false);
    return true;
}

void Vst2Plugin::getProgramName(char* text) const
{
    basic::strncpy_0(text, _cur_prog.get_name(), PROG_NAME_LEN + 1);
}

void Vst2Plugin::setProgramName(const char* name)
{
    _cur_prog.set_name(name);
    _dsp->set_program_name(_cur_prog.get_name());
    if (_cur_prog_index < _bank.get_nbr_prog()) {
        _bank[_cur_prog_index].set_name(_cur_prog.get_name());
    }
}

bool Vst2Plugin::getProgramNameIndexed(int index, char* text) const
{
    if (index < 0 || index >= _bank.get_nbr_prog()) {
        return false;
    }
    basic::strncpy_0(text, _bank[index].get_name(), PROG_NAME_INDEXED_LEN + 1);
    return true;
}

ProgramSlot Vst2Plugin::make_cur_prog() const
{
    ProgramSlot prog(_cur_prog);
    prog.set_nbr_param(_nbr_param);
    for (int i = 0; i < _nbr_param; ++i) {
        prog.set_param(i, _cur_val[static_cast<std::size_t>(i)].load(std::memory_order_relaxed));
    }
    return prog;
}

std::vector<unsigned char> Vst2Plugin::getChunk(bool is_preset) const
{
    std::vector<unsigned char> chunk;
    if (is_preset) {
        const ProgramSlot prog = make_cur_prog();
        chunk.resize(static_cast<std::size_t>(prog.get_object_size()));
        if (prog.write_to_memory(chunk.data()) != 0) {
            chunk.clear();
        }
        return chunk;
    }
    if (const basic::SerializableInterface* state = _dsp->get_serializer()) {
        chunk.resize(static_cast<std::size_t>(state->get_object_size()));
        if (state->write_to_memory(chunk.data()) != 0) {
            chunk.clear();
        }
        return chunk;
    }
    BankManager bank(_bank);
    if (_cur_prog_index < bank.get_nbr_prog()) {
        bank.store(_cur_prog_index, make_cur_prog());
    }
    chunk.resize(static_cast<std::size_t>(bank.get_object_size()));
    if (bank.write_to_memory(chunk.data()) != 0) {
        chunk.clear();
    }
    return chunk;
}

bool Vst2Plugin::setChunk(const void* data, long size, bool is_preset)
{
    if (data == nullptr || size <= 0) {
        return false;
    }
    const auto* bytes = static_cast<const unsigned char*>(data);
    if (is_preset) {
        ProgramSlot prog;
        if (prog.read_from_memory(bytes, size) != 0) {
            return false;
        }
        set_program_pi_and_host(prog, PRIO_PROGRAM, true, false);
        if (_cur_prog_index < _bank.get_nbr_prog()) {
            _bank.store(_cur_prog_index, prog);
        }
        return true;
    }
    if (basic::SerializableInterface* state = _dsp->get_serializer()) {
        if (size < state->get_object_size()) {
            return false;
        }
        return state->read_from_memory(bytes) == 0;
    }
    BankManager bank;
    if (bank.read_from_memory(bytes, size) != 0) {
        return false;
    }
    _bank.swap(bank);
    _bank_buf.write(_bank);
    (void)setProgram(std::min(_cur_prog_index, _bank.get_nbr_prog() - 1));
    return true;
}

void Vst2Plugin::gather_cur_prog()
{
    for (int i = 0; i < _nbr_param; ++i) {
        _apply_prog.set_param(
            i, _cur_val[static_cast<std::size_t>(i)].load(std::memory_order_relaxed));
    }
}

void Vst2Plugin::set_program_pi_and_host(const ProgramSlot& program, int prio, bool release,
                                         bool host)
{
    // The values go into the current program in place: learned MIDI may be
    // storing into it from the audio thread. Values the program lacks stay.
    const int nbr = std::min(_nbr_param, program.get_nbr_param());
    for (int i = 0; i < nbr; ++i) {
        const float value = program.get_param(i);
        if (!std::isnan(value)) {
            _cur_val[static_cast<std::size_t>(i)].store(std::clamp(value, 0.0f, 1.0f),
                                                        std::memory_order_relaxed);
        }
    }
    _cur_prog.set_name(program.get_name());
    const long nbr_extra = program.get_extra_byte_size();
    _cur_prog.set_extra_byte_size(nbr_extra);
    if (nbr_extra > 0) {
        std::memcpy(_cur_prog.use_extra_byte_buf(), program.use_extra_byte_buf(),
                    static_cast<std::size_t>(nbr_extra));
    }

    _dsp->set_program_name(_cur_prog.get_name());
    gather_cur_prog();
    _dsp->do_set_program(_apply_prog);

    const double now = _clock();
    for (int i = 0; i < _nbr_param; ++i) {
        if (!_prio_list.get(i, now, prio)) {
            continue;
        }
        const float value = _apply_prog.get_param(i);
        if (_gui) {
            _gui->set_param(i, value, prio);
        }
        if (_midi_mgr) {
            (void)_midi_mgr->param_to_midi_out(0, i, value);
        }
        if (host) {
            automate_host(i, value);
        }
        if (release) {
            _prio_list.release(i, prio);
        }
    }
}

int Vst2Plugin::load_bank_from_rsc(const char* name, BankManager& bank)
{
    long size = 0;
    const void* data = sys::get_resource("TWBK", name, size);
    if (data == nullptr) {
        return -1;
    }
    return TwbkFileOp::load_bank_mem(data, size, bank, nullptr, false);
}

} // namespace mppi
