#include "plugin/vst2/BrevantVst2Factory.h"

#include "lib/mppi/GuiInterface.h"
#include "lib/mppi/mppi_vst2cocoa/Vst2Plugin.h"
#include "plugin/dsp/BrevantDsp.h"

BrevantVst2Factory::~BrevantVst2Factory() = default;

std::unique_ptr<mppi::DspInterface>
BrevantVst2Factory::create_dsp(mppi::MidiReceiverInterface*& midi_client)
{
    auto dsp = std::make_unique<BrevantDsp>();
    midi_client = dsp.get();
    return dsp;
}

std::unique_ptr<mppi::GuiInterface> BrevantVst2Factory::create_gui()
{
    return nullptr;
}

std::unique_ptr<mppi::Vst2Plugin>
BrevantVst2Factory::create_plugin(mppi::vst2::HostCallback callback,
                                  const std::string& bundle_path) noexcept
{
    BrevantVst2Factory factory;
    return mppi::Vst2Main::create(callback, bundle_path, factory);
}
