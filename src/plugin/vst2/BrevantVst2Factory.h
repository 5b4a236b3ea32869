#pragma once

#include "lib/mppi/mppi_vst2cocoa/Vst2Main.h"

#include <memory>
#include <string>

namespace mppi {
class Vst2Plugin;
}

// The effect and its (absent) editor for the plug-in's start-up.
//
// Main thread only; may allocate.
class BrevantVst2Factory : public mppi::Vst2EffectFactoryInterface
{
public:
    BrevantVst2Factory() = default;
    ~BrevantVst2Factory() override;

    // A new BrevantDsp, which is its own MIDI receiver.
    [[nodiscard]] std::unique_ptr<mppi::DspInterface>
    create_dsp(mppi::MidiReceiverInterface*& midi_client) override;
    // No editor exists: null.
    [[nodiscard]] std::unique_ptr<mppi::GuiInterface> create_gui() override;

    // The plug-in's entry: the effect started for the host behind `callback`
    // from the bundle folder, or null (see mppi::Vst2Main::create).
    [[nodiscard]] static std::unique_ptr<mppi::Vst2Plugin>
    create_plugin(mppi::vst2::HostCallback callback, const std::string& bundle_path) noexcept;
};
