#pragma once

#include "lib/mppi/Fwd.h"

namespace mppi {

// The parameter and program commands of the host binding itself, offered to
// framework objects such as the MIDI manager. Indices are the effect's own
// (nat order); values are normalised floats.
//
// Main thread, except that the priority operations and `set_param_pi` are
// also called on the audio thread for learned MIDI controllers: those take no
// lock and allocate nothing.
class PluginCmdInterface
{
public:
    PluginCmdInterface() = default;
    PluginCmdInterface(const PluginCmdInterface&) = delete;
    PluginCmdInterface& operator=(const PluginCmdInterface&) = delete;
    virtual ~PluginCmdInterface();

    // Main or audio thread; no lock, no allocation. The priority test, grant
    // and release.
    [[nodiscard]] virtual bool is_param_free(int index, int prio) noexcept = 0;
    [[nodiscard]] virtual bool reserve_param(int index, int prio) noexcept = 0;
    virtual void release_param(int index, int prio) noexcept = 0;

    // Main or audio thread; no lock, no allocation. If granted: stores the
    // value in the current program, sets the effect parameter's normalised
    // value and shows it in the editor; answers whether it was granted.
    // The MIDI input device and the host adapters ignore the answer.
    virtual bool set_param_pi(long index, float value, int prio) noexcept = 0;

    // Main thread only. No priority test: unless the effect hides its
    // parameters, sends the value to MIDI output and reports it to the host as
    // automation in host order.
    virtual void set_param_host(long index, float value, int prio) = 0;

    // Main thread only. `set_param_pi`, and when granted `set_param_host`;
    // answers whether it was granted.
    virtual bool set_param_pi_and_host(long index, float value, int prio) = 0;

    // Main thread only. Copies the program into the current program, names it
    // in the effect and applies it to every parameter; then, for each
    // parameter the priority grants: shows it in the editor, sends it to MIDI
    // output, reports it to the host when `host` is true and releases it again
    // when `release` is true.
    virtual void set_program_pi_and_host(const ProgramSlot& program, int prio, bool release,
                                         bool host) = 0;
};

} // namespace mppi
