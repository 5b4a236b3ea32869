#include "lib/mppi/Vst2MidiDevSelComp.h"

#include "lib/basic/ConfKeyFactory.h"
#include "support/MidiRig.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace {

using mppi::Vst2MidiDevSelComp;

// The host binding's set-up: the VST component alone, linked to the manager.
class Vst2Alone : public ::testing::Test
{
protected:
    Vst2Alone()
    {
        rig.dispatcher.register_dev_list(comp);
        comp.set_midi_mgr(rig.mgr);
    }

    // The "midi" node of a settings text holding the given port names.
    static std::unique_ptr<basic::ConfKeyInterface> ports(const std::string& in,
                                                          const std::string& out)
    {
        return basic::ConfKeyFactory::get_instance().create_key(
            "midi =\n{\n   port_in =\n   {\n      name = " + in +
            "\n   }\n   port_out =\n   {\n      name = " + out + "\n   }\n}");
    }

    test_support::MidiRig rig;
    Vst2MidiDevSelComp comp;
};

TEST_F(Vst2Alone, StartUpSelectsTheInputOnlyAndSavesBothPorts)
{
    ASSERT_EQ(rig.start(), 0);
    EXPECT_EQ(rig.dispatcher.use_prop_list_in().size(), 1U);
    EXPECT_EQ(rig.dispatcher.get_dev_in_prop(0)._name, "VST MIDI In interface");
    EXPECT_EQ(rig.dispatcher.get_dev_out_prop(0)._name, "VST MIDI Out interface");
    EXPECT_EQ(rig.mgr.get_input_device(), &comp.use_dev_in());
    EXPECT_EQ(rig.mgr.get_output_device(), nullptr);
    EXPECT_TRUE(comp.use_dev_in().is_connected());
    EXPECT_FALSE(comp.use_dev_out().is_enabled());
    EXPECT_EQ(comp.use_dev_in().use_midi_mgr(), &rig.mgr);
    EXPECT_EQ(comp.use_dev_out().use_dsp(), &rig.dsp);

    basic::ConfKeyMulti midi("midi");
    ASSERT_EQ(rig.dispatcher.save_settings(midi), 0);
    std::string text;
    ASSERT_EQ(midi.write_to_string(text), 0);
    EXPECT_EQ(text, "midi =\n{\n"
                    "   port_in =\n   {\n      name = \"VST MIDI In interface\"\n   }\n"
                    "   port_out =\n   {\n      name = none\n   }\n}");
}

TEST_F(Vst2Alone, LoadedNamesSelectInAnyCaseAndNoneDeselects)
{
    ASSERT_EQ(rig.start(), 0);
    const auto on = ports("none", "\"vst midi out interface\"");
    ASSERT_EQ(rig.dispatcher.load_settings(dynamic_cast<const basic::ConfKeyMulti&>(*on)), 0);
    EXPECT_EQ(rig.dispatcher.get_dev_in_cur_id(), -1);
    EXPECT_EQ(rig.dispatcher.get_dev_out_cur_id(), 0);
    EXPECT_FALSE(comp.use_dev_in().is_connected());
    EXPECT_TRUE(comp.use_dev_out().is_enabled());
    EXPECT_EQ(rig.mgr.get_output_device(), &comp.use_dev_out());

    const auto off = ports("\"VST MIDI In interface\"", "none");
    ASSERT_EQ(rig.dispatcher.load_settings(dynamic_cast<const basic::ConfKeyMulti&>(*off)), 0);
    EXPECT_EQ(rig.dispatcher.get_dev_in_cur_id(), 0);
    EXPECT_EQ(rig.dispatcher.get_dev_out_cur_id(), -1);
    EXPECT_FALSE(comp.use_dev_out().is_enabled());

    // A node without names keeps the choice.
    ASSERT_EQ(rig.dispatcher.load_settings(basic::ConfKeyMulti("midi")), 0);
    EXPECT_EQ(rig.dispatcher.get_dev_in_cur_id(), 0);
}

TEST_F(Vst2Alone, RestoreForgetsTheDevicesAndTheRanges)
{
    ASSERT_EQ(rig.start(), 0);
    ASSERT_EQ(rig.dispatcher.restore(), 0);
    rig.mgr.restore();
    EXPECT_FALSE(rig.dispatcher.is_initialised());
    EXPECT_FALSE(rig.mgr.are_devices_scanned());
    EXPECT_EQ(rig.dispatcher.get_nbr_dev_in() + rig.dispatcher.get_nbr_dev_out(), 0);
    EXPECT_EQ(comp.get_start_id_in(), -1);
    EXPECT_EQ(comp.get_nbr_dev_out(), 0);
}

} // namespace
