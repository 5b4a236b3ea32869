#include "lib/mppi/MidiMgr.h"

#include "lib/basic/ConfKeyData.h"
#include "lib/basic/ConfKeyFactory.h"
#include "lib/mppi/Vst2MidiDevSelComp.h"
#include "support/AllocFailure.h"
#include "support/FakeMidiDev.h"
#include "support/MidiRig.h"
#include "support/ScratchFolder.h"
#include "support/posix/EnvVar.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <thread>
#include <vector>

namespace {

using mppi::MidiMgr;
using mppi::PersistentMidiSettings;

constexpr long CC = 65536; // one controller number in an id
constexpr long NRPN = 99 * CC;
constexpr long RPN = 101 * CC;

// The manager with the VST devices, started, with the MIDI preferences read
// from a scratch Preferences folder.
class MidiMgrTest : public ::testing::Test
{
protected:
    MidiMgrTest()
    {
        rig.dispatcher.register_dev_list(comp);
        comp.set_midi_mgr(rig.mgr);
        EXPECT_EQ(rig.start(), 0);
        rig.mgr.set_persistent_midi_settings("Morvanel");
    }

    void set_autobind_mode(PersistentMidiSettings::AutobindMode mode)
    {
        ASSERT_EQ(rig.mgr.use_persistent_midi_settings().set_autobind_mode(mode), 0);
    }

    // The settings root read from configuration-key text.
    static basic::ConfKeyMulti read(const std::string& text)
    {
        const auto key = basic::ConfKeyFactory::get_instance().create_key(text);
        return dynamic_cast<const basic::ConfKeyMulti&>(*key);
    }

    test_support::ScratchFolder prefs;
    test_support::EnvVar config{"XDG_CONFIG_HOME", prefs.path().c_str()};
    test_support::MidiRig rig;
    mppi::Vst2MidiDevSelComp comp;
};

TEST(MidiMgrIds, IdsValuesAndLabelsFollowTheControllerArithmetic)
{
    struct Case
    {
        int cc, number;
        long id;
        const char* label;
    };
    const Case cases[] = {
        {7, 0, 458752, "CC 7"},
        {7, 5, 458752, "CC 7"},
        {99, 5, 6488069, "NRPN 5"},
        {101, 0, 6619136, "RPN 0"},
        {99, 16383, 6504447, "NRPN 16383"},
        {0, 0, 0, "CC 0"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(MidiMgr::encode_ctrl_id(c.cc, c.number), c.id) << c.label;
        int cc = -1;
        int number = -1;
        EXPECT_EQ(MidiMgr::decode_ctrl_id(cc, number, c.id), c.id & 0x3FFF);
        EXPECT_EQ(cc, c.cc);
        EXPECT_EQ(MidiMgr::label_ctrl_id(int(c.id)), c.label);
        EXPECT_TRUE(MidiMgr::is_midi_ctrl_id(c.id));
    }
    for (const long id : {-1L, 128 * CC, 7 * CC + 1, NRPN + 16384, RPN + 0xFFFF, 1L << 40}) {
        EXPECT_FALSE(MidiMgr::is_midi_ctrl_id(id)) << id;
    }
    // v / 16383 in double precision, back with the product in single precision
    // rounded half up; a 7-bit 127 arrives as 127 * 128 and stays below 1.
    for (int v = 0; v <= 16383; ++v) {
        const float norm = MidiMgr::ctrl_to_norm(v);
        ASSERT_NEAR(norm, double(v) / 16383.0, 6e-8);
        ASSERT_EQ(MidiMgr::norm_to_ctrl(norm), v);
    }
    EXPECT_EQ(MidiMgr::ctrl_to_norm(16383), 1.0f);
    EXPECT_LT(MidiMgr::ctrl_to_norm(127 * 128), 0.9923f);
    EXPECT_EQ(MidiMgr::norm_to_ctrl(0.5f), 8192); // 8191.5 rounds up
    EXPECT_EQ(MidiMgr::norm_to_ctrl(std::nanf("")), 0);
}

TEST_F(MidiMgrTest, LearnBindsTheArmedParameterInEachAutobindMode)
{
    struct Case
    {
        PersistentMidiSettings::AutobindMode mode;
        std::map<long, int> map_after;
        long latest_id;
        int armed_after;
        int param_of_second;
    };
    const Case cases[] = {
        {PersistentMidiSettings::AUTOBIND_STAY_ARMED, {{11 * CC, 3}}, 11 * CC, 3, 3},
        {PersistentMidiSettings::AUTOBIND_ONCE, {{10 * CC, 3}}, 10 * CC, -1, -1},
    };
    for (const Case& c : cases) {
        set_autobind_mode(c.mode);
        rig.mgr.set_autobind_param(3);
        int param = -9;
        float value = -9.0f;
        rig.mgr.autobind_cc_2_param(10 * CC, 127 * 128, param, value);
        EXPECT_EQ(param, 3);
        EXPECT_FLOAT_EQ(value, 16256.0f / 16383.0f);
        rig.mgr.autobind_cc_2_param(11 * CC, 16383, param, value);
        EXPECT_EQ(param, c.param_of_second);
        EXPECT_EQ(value, c.param_of_second < 0 ? -1.0f : 1.0f);
        EXPECT_EQ(rig.mgr.get_param_mapping(), c.map_after);
        EXPECT_EQ(rig.mgr.get_autobind_param(), c.armed_after);
        long id = 0;
        ASSERT_TRUE(rig.mgr.get_latest_autobind_info(param, id));
        EXPECT_EQ(param, 3);
        EXPECT_EQ(id, c.latest_id);
        // The result is read once; the binding stays.
        rig.mgr.clear_latest_autobind_info();
        EXPECT_FALSE(rig.mgr.get_latest_autobind_info(param, id));
        EXPECT_TRUE(rig.mgr.is_autobinded(3));
        rig.mgr.clear_cur_autobind();
        ASSERT_EQ(rig.mgr.dissociate_param(3), 0);
    }
}

TEST_F(MidiMgrTest, BindingMovesAnIdAndUnbindingAndTheDefaultMappingReplaceTheMap)
{
    ASSERT_EQ(rig.mgr.set_default_nrpn_mapping(), 0);
    EXPECT_EQ(rig.mgr.get_param_mapping(), (std::map<long, int>{{NRPN, 0}, {NRPN + 1, 1}}));

    // Learning an id bound elsewhere moves it; the other parameter loses it.
    rig.mgr.set_autobind_param(1);
    int param = 0;
    float value = 0.0f;
    rig.mgr.autobind_cc_2_param(NRPN, 0, param, value);
    rig.mgr.clear_cur_autobind();
    EXPECT_EQ(rig.mgr.get_param_mapping(), (std::map<long, int>{{NRPN, 1}}));
    int cc = -5;
    int number = -5;
    EXPECT_FALSE(rig.mgr.get_binded_cc(0, cc, number));
    EXPECT_EQ(cc + number, -10);

    ASSERT_EQ(rig.mgr.associate_param(0, 101, 2), 0);
    long id = 0;
    int v14 = 0;
    rig.mgr.map_param_2_cc(0, 0.25f, id, v14);
    EXPECT_EQ(id * 10000 + v14, (RPN + 2) * 10000 + 4096); // 4095.75 rounded
    EXPECT_EQ(rig.mgr.dissociate_param(1), 0);
    EXPECT_EQ(rig.mgr.dissociate_param(1), 0);
    rig.mgr.map_param_2_cc(1, 0.25f, id, v14);
    EXPECT_EQ(id * 100 + v14, -101);

    // Ids that MIDI cannot produce are refused and change nothing.
    for (const long bad : {-1L, 128 * CC, 7 * CC + 1, NRPN + 16384}) {
        EXPECT_EQ(rig.mgr.associate_param(5, bad), MidiMgr::ERR_MAP_REFUSED);
    }
    EXPECT_EQ(rig.mgr.get_param_mapping(), (std::map<long, int>{{RPN + 2, 0}}));
}

TEST_F(MidiMgrTest, SurplusLoadedEntriesAreSkippedAndAFullMapRefusesNewIds)
{
    std::string text = "Default =\n{\n   midi =\n   {\n      control_map =\n      {\n";
    for (int i = 0; i < mppi::MidiCtrlMap::CAPACITY + 10; ++i) {
        text += "         id_" + std::to_string(i) + " = nrpn_" + std::to_string(i) + "\n";
    }
    ASSERT_EQ(rig.mgr.load_settings(read(text + "      }\n   }\n}")), 0);
    const std::map<long, int> mapping = rig.mgr.get_param_mapping();
    ASSERT_EQ(mapping.size(), size_t(mppi::MidiCtrlMap::CAPACITY));
    EXPECT_EQ(mapping.rbegin()->second, mppi::MidiCtrlMap::CAPACITY - 1);
    EXPECT_EQ(rig.mgr.associate_param(5000, 1, 0), MidiMgr::ERR_MAP_REFUSED);
}

TEST_F(MidiMgrTest, SavedTextIsExactAndOrderedByParameter)
{
    ASSERT_EQ(rig.mgr.set_default_nrpn_mapping(), 0);
    ASSERT_EQ(rig.mgr.associate_param(1, 7, 0), 0);
    ASSERT_EQ(rig.mgr.associate_param(5, 101, 300), 0); // beyond the parameters: no comment
    basic::ConfKeyMulti root("Default");
    ASSERT_EQ(rig.mgr.save_settings(root), 0);
    std::string text;
    ASSERT_EQ(root.write_to_string(text), 0);
    EXPECT_EQ(text, "Default =\n{\n"
                    "   midi =\n   {\n"
                    "      // Bind param with cc_, rpn_ or nrpn_ as prefix + CC/(N)RPN #.\n"
                    "      control_map =\n      {\n"
                    "         id_0 = nrpn_0\t// Cutoff Freq\n"
                    "         id_1 = cc_7\t// Resonance\n"
                    "         id_5 = rpn_300\n"
                    "      }\n"
                    "      port_in =\n      {\n         name = \"VST MIDI In interface\"\n      }\n"
                    "      port_out =\n      {\n         name = none\n      }\n"
                    "   }\n}");
}

TEST_F(MidiMgrTest, RandomMapsSurviveSaveAndLoad)
{
    std::mt19937 rng(11);
    std::map<long, int> expected;
    for (int round = 0; round < 20; ++round) {
        for (int i = 0; i < 40; ++i) {
            const int cc = int(rng() % 128);
            const long id = MidiMgr::encode_ctrl_id(cc, int(rng() % 16384));
            const int param = int(rng() % 100);
            if (rig.mgr.associate_param(param, id) == 0) {
                std::erase_if(expected, [param](const auto& e) { return e.second == param; });
                expected[id] = param;
            }
        }
        ASSERT_EQ(rig.mgr.get_param_mapping(), expected);
        basic::ConfKeyMulti saved("Default");
        ASSERT_EQ(rig.mgr.save_settings(saved), 0);
        std::string text;
        ASSERT_EQ(saved.write_to_string(text), 0);
        for (const auto& [id, param] : expected) {
            ASSERT_EQ(rig.mgr.dissociate_param(param), 0);
        }
        ASSERT_EQ(rig.mgr.load_settings(read(text)), 0);
        EXPECT_EQ(rig.mgr.get_param_mapping(), expected) << text;
    }
}

TEST_F(MidiMgrTest, LoadingMergesGoodEntriesAndSkipsBadOnes)
{
    ASSERT_EQ(rig.mgr.set_default_nrpn_mapping(), 0); // 0 on NRPN 0, 1 on NRPN 1
    const auto key = read("Default =\n{\n   midi =\n   {\n      control_map =\n      {\n"
                          "         id_2 = CC_5\n"       // prefixes ignore case
                          "         ID_3 = cc_99\n"      // CC 99 is NRPN 0: moves it
                          "         id_9 = nrpn_12\n"    // beyond the parameters: kept
                          "         \"id_ 8x\" = cc_9\n" // blanks before, text after
                          "         id_x = cc_5\n"       // skipped from here on
                          "         id_4 = pc_5\n"
                          "         id_4 = cc_\n"
                          "         id_-4 = cc_1\n"
                          "         id_4 = rpn_-1\n"
                          "         id_4 = { cc_2 }\n"
                          "         id_6 = cc_128\n"
                          "         id_6 = nrpn_16384\n"
                          "         id_6 = nrpn_65536\n"
                          "         id_6 = rpn_131072\n"
                          "         id_6 = cc_99999999999999999999\n"
                          "         id_2147483648 = cc_1\n"
                          "         sub =\n         {\n            id_1 = cc_1\n         }\n"
                          "      }\n   }\n}");
    ASSERT_EQ(rig.mgr.load_settings(key), 0);
    EXPECT_EQ(
        rig.mgr.get_param_mapping(),
        (std::map<long, int>{{5 * CC, 2}, {NRPN, 3}, {NRPN + 1, 1}, {NRPN + 12, 9}, {9 * CC, 8}}));
    // The last valid index still loads.
    EXPECT_EQ(rig.mgr.load_param_conf(basic::ConfKeyData("id_2147483647", "cc_3")), 0);
    EXPECT_TRUE(rig.mgr.is_autobinded(2147483647));

    // Without a "midi" node nothing changes, not even the device choice.
    const auto other = read("Default =\n{\n   other =\n   {\n      port_in =\n      {\n"
                            "         name = none\n      }\n   }\n}");
    ASSERT_EQ(rig.mgr.load_settings(other), 0);
    EXPECT_EQ(rig.mgr.get_param_mapping().size(), 6U);
    EXPECT_EQ(rig.dispatcher.get_dev_in_cur_id(), 0);
}

TEST(MidiMgrOut, ParameterValuesGoOutOnTheBoundController)
{
    test_support::FakeMidiDevComp comp({}, {"out"});
    test_support::MidiRig rig;
    rig.dispatcher.register_dev_list(comp);
    ASSERT_EQ(rig.start(), 0);
    ASSERT_EQ(rig.dispatcher.select_dev_out(0), 0);
    test_support::FakeMidiOut& out = comp.dev_out[0];
    ASSERT_EQ(rig.mgr.associate_param(0, 40, 0), 0);
    ASSERT_EQ(rig.mgr.associate_param(1, 1, 0), 0);
    ASSERT_EQ(rig.mgr.associate_param(2, 99, 5), 0);
    ASSERT_EQ(rig.mgr.associate_param(3, 101, 0), 0);
    ASSERT_EQ(rig.mgr.associate_param(4, 7, 0), 0);

    struct Case
    {
        int chn, param;
        float value;
        int answer;
        int rc;
        std::vector<std::string> sent;
    };
    const float nan = std::nanf("");
    const Case cases[] = {
        {0, 0, 1.0f, 1, 0, {"chn_cmd 0 11 40 127"}}, // (16383 + 64) >> 7 capped
        {3, 0, 0.5f, 1, 0, {"chn_cmd 3 11 40 64"}},  // (8192 + 64) >> 7
        {0, 1, 1.0f, 1, 0, {"chn_cmd 0 11 1 127", "chn_cmd 0 11 33 127"}},
        {0, 4, 1.0f, 1, 0, {"chn_cmd 0 11 7 127", "chn_cmd 0 11 39 127"}},
        {0, 1, 0.5f, 1, 0, {"chn_cmd 0 11 1 64", "chn_cmd 0 11 33 0"}},
        {0, 2, 1.0f, 1, 0, {"nrpn 0 5 16383"}},
        {0, 3, 0.25f, 1, 0, {"rpn 0 0 4096"}},
        // Values from outside 0..1 never reach a data byte beyond 127.
        {0, 0, nan, 1, 0, {"chn_cmd 0 11 40 0"}},
        {0, 0, 2.0f, 1, 0, {"chn_cmd 0 11 40 127"}},
        {0, 1, -1.0f, 1, 0, {"chn_cmd 0 11 1 0", "chn_cmd 0 11 33 0"}},
        {0, 2, 1e30f, 1, 0, {"nrpn 0 5 16383"}},
        {0, 3, -nan, 1, 0, {"rpn 0 0 0"}},
        // A refused send: no LSB after a refused MSB.
        {0, 1, 1.0f, 0, MidiMgr::ERR_SEND_REFUSED, {"chn_cmd 0 11 1 127"}},
        {0, 6, 1.0f, 1, MidiMgr::ERR_NOT_BOUND, {}},
    };
    for (const Case& c : cases) {
        out.calls.clear();
        out.answer = c.answer;
        EXPECT_EQ(rig.mgr.param_to_midi_out(c.chn, c.param, c.value), c.rc);
        EXPECT_EQ(out.calls, c.sent) << "param " << c.param << " value " << c.value;
    }
    // Without an output device nothing is sent and every send is refused.
    ASSERT_EQ(rig.dispatcher.select_dev_out(-1), 0);
    out.calls.clear();
    EXPECT_EQ(rig.mgr.param_to_midi_out(0, 0, 1.0f), MidiMgr::ERR_SEND_REFUSED);
    EXPECT_EQ(rig.mgr.do_send_midi_reset(), 0);
    EXPECT_TRUE(out.calls.empty());
}

TEST_F(MidiMgrTest, TheAudioThreadPathAllocatesNothingAfterStartUp)
{
    ASSERT_EQ(rig.mgr.set_default_nrpn_mapping(), 0);
    ASSERT_EQ(rig.dispatcher.select_dev_out(0), 0);
    int param = 0;
    float value = 0.0f;
    long sum = 0;
    const long before = test_support::get_nbr_allocations();
    for (int i = 0; i < 2000; ++i) {
        if (i % 100 == 0) {
            rig.mgr.set_autobind_param(i % 7);
        }
        rig.mgr.process_pre();
        rig.mgr.autobind_cc_2_param(MidiMgr::encode_ctrl_id(i % 128, 0), i % 16384, param, value);
        sum += param + rig.mgr.param_to_midi_out(0, i % 7, 0.5f);
        rig.mgr.process_post();
    }
    EXPECT_EQ(test_support::get_nbr_allocations(), before);
    EXPECT_NE(sum, 0);
}

// Learn and look-up run on one thread, as on the audio thread, while another
// thread edits the map, loads settings that switch the output device, and
// flips the autobind mode. Every binding anywhere pairs NRPN n with
// parameter n or with the parameter armed for learn; the checks below fail on
// a torn learn result or a map that breaks its invariant.
TEST_F(MidiMgrTest, LearnAndLookUpRaceWithEditsLoadsAndPreferences)
{
    constexpr int nbr_ids = 32;
    std::vector<basic::ConfKeyMulti> loads;
    for (const char* out : {"\"VST MIDI Out interface\"", "none"}) {
        loads.push_back(read("Default =\n{\n   midi =\n   {\n      control_map =\n      {\n"
                             "         id_4 = nrpn_4\n         id_5 = nrpn_5\n      }\n"
                             "      port_out =\n      {\n         name = " +
                             std::string(out) + "\n      }\n   }\n}"));
    }
    std::atomic<bool> stop{false};
    std::atomic<long> lookups{0};
    // Stops the other thread also when an assertion leaves the test early.
    struct Joiner
    {
        std::atomic<bool>& stop;
        std::thread thread;
        ~Joiner()
        {
            stop = true;
            thread.join();
        }
    };
    Joiner audio{stop, std::thread([&] {
                     int param = 0;
                     float value = 0.0f;
                     for (long i = 0; !stop.load(std::memory_order_relaxed); ++i) {
                         const int n = int(i % nbr_ids);
                         rig.mgr.process_pre();
                         rig.mgr.autobind_cc_2_param(NRPN + n, n, param, value);
                         // Bound to n by an edit, or to an armed parameter (100 + k).
                         const bool ok =
                             (param == -1 && value == -1.0f) ||
                             ((param == n || param >= 100) && value == MidiMgr::ctrl_to_norm(n));
                         if (!ok) {
                             ADD_FAILURE() << "NRPN " << n << " gave " << param << ", " << value;
                             break;
                         }
                         (void)rig.mgr.do_send_midi_chn_cmd(0, 11, 7, 1);
                         rig.mgr.process_post();
                         lookups.fetch_add(1, std::memory_order_relaxed);
                     }
                 })};
    for (int i = 0; i < 400 || (lookups.load() < 20000 && i < 200000); ++i) {
        const int n = i % nbr_ids;
        ASSERT_EQ(rig.mgr.associate_param(n, NRPN + n), 0);
        if (i % 3 == 0) {
            rig.mgr.set_autobind_param(100 + n);
        }
        if (i % 5 == 0) {
            ASSERT_EQ(rig.mgr.dissociate_param(100 + (n + 1) % nbr_ids), 0);
        }
        if (i % 17 == 0) {
            ASSERT_EQ(rig.mgr.load_settings(loads[size_t(i / 17 % 2)]), 0);
            ASSERT_EQ(rig.mgr.set_default_nrpn_mapping(), 0);
        }
        if (i % 29 == 0) {
            set_autobind_mode(PersistentMidiSettings::AutobindMode(i / 29 % 2));
            ASSERT_EQ(rig.mgr.use_persistent_midi_settings().set_nrpn_compatibility(
                          PersistentMidiSettings::NrpnCompatibility(i / 29 % 2)),
                      0);
        }
        int param = 0;
        long id = 0;
        if (rig.mgr.get_latest_autobind_info(param, id)) {
            ASSERT_GE(param, 100);
            ASSERT_GE(id, NRPN);
            ASSERT_LT(id, NRPN + nbr_ids);
        }
        std::map<int, int> uses;
        for (const auto& [ctrl_id, bound] : rig.mgr.get_param_mapping()) {
            ASSERT_EQ(++uses[bound], 1) << "parameter " << bound << " bound twice";
            ASSERT_TRUE(bound == ctrl_id - NRPN || bound >= 100) << ctrl_id << " -> " << bound;
        }
    }
}

} // namespace
