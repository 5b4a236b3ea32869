#include "lib/mppi/MidiDevSelDispatcher.h"

#include "lib/basic/ConfKeyMulti.h"

#include "support/FakeMidiDev.h"
#include "support/MidiRig.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using mppi::MidiDevSelectorInterface;
using Log = std::vector<std::string>;
using test_support::FakeMidiDevComp;

// A rig with two components: A with input "A1", B with inputs "B1", "B2" and
// output "Bo"; calls of both go to one log.
class TwoComponents : public ::testing::Test
{
protected:
    TwoComponents()
    {
        rig.dispatcher.register_dev_list(comp_a);
        rig.dispatcher.register_dev_list(comp_b);
        rig.mgr.init();
        log.clear();
    }

    Log log;
    FakeMidiDevComp comp_a{{"A1"}, {}, &log};
    FakeMidiDevComp comp_b{{"B1", "B2"}, {"Bo"}, &log};
    test_support::MidiRig rig;
};

TEST_F(TwoComponents, RangesFollowOneAnotherAndSelectionAsksOwnerAndRemovesOthers)
{
    EXPECT_TRUE(rig.mgr.are_devices_scanned());
    EXPECT_EQ(rig.dispatcher.get_nbr_dev_in(), 3);
    EXPECT_EQ(rig.dispatcher.get_dev_in_prop(2)._name, "B2");
    EXPECT_EQ((std::vector<int>{comp_a.get_start_id_in(), comp_a.get_nbr_dev_in(),
                                comp_b.get_start_id_in(), comp_b.get_nbr_dev_in()}),
              (std::vector<int>{0, 1, 1, 2}));

    struct Step
    {
        int id;
        Log calls;
        mppi::MidiInInterface* dev;
    };
    const Step steps[] = {
        {1, {"remove in", "select in 1", "connect B1"}, &comp_b.dev_in[0]},
        {2, {"disconnect B1", "remove in", "select in 2", "connect B2"}, &comp_b.dev_in[1]},
        {0, {"disconnect B2", "select in 0", "remove in", "connect A1"}, &comp_a.dev_in[0]},
        {-1, {"disconnect A1", "remove in", "remove in"}, nullptr},
    };
    for (const Step& step : steps) {
        log.clear();
        ASSERT_EQ(rig.dispatcher.select_dev_in(step.id), 0);
        EXPECT_EQ(log, step.calls) << "id " << step.id;
        EXPECT_EQ(rig.dispatcher.get_dev_in_cur_id(), step.id);
        EXPECT_EQ(rig.mgr.get_input_device(), step.dev);
    }
    EXPECT_FALSE(comp_a.dev_in[0].connected || comp_b.dev_in[0].connected ||
                 comp_b.dev_in[1].connected);
}

TEST_F(TwoComponents, NamesMatchInAnyLetterCaseAndAnUnknownNameDeselects)
{
    const std::pair<std::string, int> cases[] = {{"b2", 2},    {"A1", 0}, {"bO", -1},
                                                 {"none", -1}, {"", -1},  {"B1", 1}};
    for (const auto& [name, id] : cases) {
        ASSERT_EQ(rig.dispatcher.select_dev_in(name), 0);
        EXPECT_EQ(rig.dispatcher.get_dev_in_cur_id(), id) << name;
    }
    ASSERT_EQ(rig.dispatcher.select_dev_out("BO"), 0);
    EXPECT_EQ(rig.mgr.get_output_device(), &comp_b.dev_out[0]);
}

TEST_F(TwoComponents, AnIdOutsideTheListsIsRefusedAndChangesNothing)
{
    ASSERT_EQ(rig.dispatcher.select_dev_in(1), 0);
    for (const int id : {-2, 3, 1000}) {
        log.clear();
        EXPECT_EQ(rig.dispatcher.select_dev_in(id), MidiDevSelectorInterface::ERR_INVALID_ID);
        EXPECT_EQ(rig.dispatcher.select_dev_out(id - 2), MidiDevSelectorInterface::ERR_INVALID_ID);
        EXPECT_TRUE(log.empty());
        EXPECT_EQ(rig.dispatcher.get_dev_in_cur_id(), 1);
        EXPECT_EQ(rig.mgr.get_input_device(), &comp_b.dev_in[0]);
    }
    // After restore the lists are empty: the old id stays but no longer names
    // a device, so it is refused too, and saving writes "none".
    ASSERT_EQ(rig.dispatcher.restore(), 0);
    EXPECT_EQ(rig.dispatcher.get_dev_in_cur_id(), 1);
    EXPECT_EQ(rig.dispatcher.select_dev_in(1), MidiDevSelectorInterface::ERR_INVALID_ID);
    basic::ConfKeyMulti midi("midi");
    ASSERT_EQ(rig.dispatcher.save_settings(midi), 0);
    EXPECT_EQ(midi.get_key_str("port_in/name"), "none");
    EXPECT_EQ(midi.get_key_str("port_out/name"), "none");
}

TEST_F(TwoComponents, AFailingDisconnectKeepsTheDeviceAndAFailingConnectLeavesNone)
{
    ASSERT_EQ(rig.dispatcher.select_dev_in(1), 0);
    comp_b.dev_in[0].disconnect_rc = -8;
    EXPECT_EQ(rig.dispatcher.select_dev_in(2), -8);
    EXPECT_EQ(rig.dispatcher.get_dev_in_cur_id(), 1);
    EXPECT_EQ(rig.mgr.get_input_device(), &comp_b.dev_in[0]);
    EXPECT_TRUE(comp_b.dev_in[0].connected);

    comp_b.dev_in[0].disconnect_rc = 0;
    comp_b.dev_in[1].connect_rc = -7;
    EXPECT_EQ(rig.dispatcher.select_dev_in(2), -7);
    EXPECT_EQ(rig.dispatcher.get_dev_in_cur_id(), -1);
    EXPECT_EQ(rig.mgr.get_input_device(), nullptr);
}

TEST(MidiDevSelDispatcher, DefaultSelectionTakesDeviceZeroWhereAskedAndPresent)
{
    struct Case
    {
        bool use_in, use_out, has_devices;
        int expected_in, expected_out;
    };
    const Case cases[] = {
        {true, false, true, 0, -1},
        {true, true, true, 0, 0},
        {false, true, true, -1, 0},
        {true, true, false, -1, -1},
    };
    for (const Case& c : cases) {
        const std::vector<std::string> names =
            c.has_devices ? std::vector<std::string>{"d"} : std::vector<std::string>{};
        FakeMidiDevComp comp(names, names);
        test_support::MidiRig rig;
        rig.dispatcher.register_dev_list(comp);
        rig.mgr.init();
        ASSERT_EQ(rig.dispatcher.select_default_dev(c.use_in, c.use_out), 0);
        EXPECT_EQ(rig.dispatcher.get_dev_in_cur_id(), c.expected_in);
        EXPECT_EQ(rig.dispatcher.get_dev_out_cur_id(), c.expected_out);
    }
}

TEST(MidiDevSelDispatcher, AComponentWhoseScanFailsLeavesNoDevice)
{
    FakeMidiDevComp good({"g"}, {"go"});
    FakeMidiDevComp bad({"b1", "b2"}, {});
    bad.scan_rc = -5;
    test_support::MidiRig rig;
    rig.dispatcher.register_dev_list(good);
    rig.dispatcher.register_dev_list(bad);
    rig.mgr.init();
    EXPECT_FALSE(rig.mgr.are_devices_scanned());
    EXPECT_EQ(rig.dispatcher.get_nbr_dev_in(), 1);
    EXPECT_EQ(bad.get_start_id_in(), -1);
    EXPECT_EQ(bad.get_nbr_dev_in(), 0);
    EXPECT_EQ(rig.dispatcher.get_nbr_dev_out(), 0); // outputs are scanned only after inputs
}

} // namespace
