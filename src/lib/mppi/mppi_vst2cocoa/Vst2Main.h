#pragma once

#include "lib/mppi/vst2/HostCallback.h"

#include <memory>
#include <string>

namespace mppi {

class DspInterface;
class GuiInterface;
class MidiReceiverInterface;
class Vst2Plugin;

// What a plug-in supplies to the start-up: its effect and its editor.
class Vst2EffectFactoryInterface
{
public:
    Vst2EffectFactoryInterface() = default;
    Vst2EffectFactoryInterface(const Vst2EffectFactoryInterface&) = delete;
    Vst2EffectFactoryInterface& operator=(const Vst2EffectFactoryInterface&) = delete;
    virtual ~Vst2EffectFactoryInterface();

    // Main thread only. A new effect, and in `midi_client` the receiver of
    // its MIDI input (living as long as the effect).
    [[nodiscard]] virtual std::unique_ptr<DspInterface>
    create_dsp(MidiReceiverInterface*& midi_client) = 0;
    // Main thread only. A new editor, or null for none.
    [[nodiscard]] virtual std::unique_ptr<GuiInterface> create_gui() = 0;
};

// The plug-in's start-up and its log. Main thread only; may allocate.
class Vst2Main
{
public:
    // The factory bank of the host programs: resource "static_presets" of
    // type "TWBK".
    static constexpr const char* FACTORY_BANK_0 = "static_presets";

    Vst2Main() = delete;

    // Starts the plug-in for a host: logging (the log file "Tarnwick " + name
    // + " VST.log.txt" in the user's Logs folder), the bundle (its resources
    // under "Contents/Resources"), the effect and editor with their host
    // adapters, the factory bank, then `init`, the default state and program
    // 0. Null, with the reason in the log, when the host has no version, the
    // bundle folder is missing, the factory bank does not load, or anything
    // throws. Never throws.
    [[nodiscard]] static std::unique_ptr<Vst2Plugin>
    create(vst2::HostCallback callback, const std::string& bundle_path,
           Vst2EffectFactoryInterface& factory) noexcept;

    // The plug-in's data folder: the base folder (the system's shared data
    // folder with shared presets, else the user's Documents folder) and the
    // plug-in's relative path.
    [[nodiscard]] static std::string make_plugin_dir();

private:
    [[nodiscard]] static std::unique_ptr<Vst2Plugin>
    create_objects(vst2::HostCallback callback, Vst2EffectFactoryInterface& factory);
    [[nodiscard]] static bool second_phase(Vst2Plugin& plugin);
    [[nodiscard]] static bool find_bundle(const std::string& bundle_path);
};

} // namespace mppi
