#include "Vst2PluginRig.h"

#include "lib/mppi/MidiDevSelectorInterface.h"
#include "lib/mppi/MidiMgr.h"
#include "lib/mppi/NormalizedParamInterface.h"
#include "lib/sys/TimeStamp.h"
#include "support/AllocFailure.h"

#include <array>
#include <atomic>
#include <cmath>
#include <limits>
#include <thread>
#include <vector>

namespace {

using mppi::Vst2Plugin;
using vst2_test::g_now;
using vst2_test::make_bank;
using vst2_test::prog_value;
using vst2_test::Vst2PluginRig;
namespace v = mppi::vst2;

constexpr float NaN = std::numeric_limits<float>::quiet_NaN();

double sys_clock() noexcept
{
    return sys::get_time_stamp();
}

float value_of(const Vst2PluginRig& rig, int nat)
{
    return rig.dsp->get_param_ref(nat).get_nrm_val();
}

TEST(Vst2Plugin, HostValueReachesTheParameterOfItsHostPosition)
{
    // Host position w shows parameter wrap_2_nat[w].
    const std::vector<std::vector<int>> maps = {{0, 1, 2}, {2, 0, 1}};
    for (const std::vector<int>& wrap_2_nat : maps) {
        Vst2PluginRig rig;
        std::vector<int> w2n = wrap_2_nat;
        std::vector<int> n2w(3);
        for (int w = 0; w < 3; ++w) {
            n2w[static_cast<std::size_t>(w2n[static_cast<std::size_t>(w)])] = w;
        }
        rig.plugin->use_param_reorder().complete_and_commit_new_map(w2n, n2w);
        for (int w = 0; w < 3; ++w) {
            const float value = 0.25f + 0.125f * float(w);
            rig.plugin->setParameter(w, value);
            EXPECT_EQ(value_of(rig, wrap_2_nat[static_cast<std::size_t>(w)]), value);
            EXPECT_EQ(rig.plugin->getParameter(w), value);
        }
        // Outside the parameters, and a NaN, change nothing; beyond 0..1 clamps.
        const float before = value_of(rig, wrap_2_nat[0]);
        for (const int index : {-1, 3, std::numeric_limits<int>::min()}) {
            rig.plugin->setParameter(index, 0.9f);
        }
        rig.plugin->setParameter(0, NaN);
        EXPECT_EQ(value_of(rig, wrap_2_nat[0]), before);
        rig.plugin->setParameter(0, 1.5f);
        EXPECT_EQ(value_of(rig, wrap_2_nat[0]), 1.0f);
        EXPECT_FALSE(rig.plugin->set_param_pi(-1, 0.5f, 300));
        EXPECT_FALSE(rig.plugin->set_param_pi(3, 0.5f, 300));
    }
}

TEST(Vst2Plugin, PriorityAndTimeToLiveDecideWhoWrites)
{
    struct Case
    {
        int first;
        double later;
        int second;
        bool granted;
    };
    const Case cases[] = {
        {Vst2Plugin::PRIO_MIDI, 0.3, Vst2Plugin::PRIO_HOST, false},
        {Vst2Plugin::PRIO_MIDI, 0.5, Vst2Plugin::PRIO_HOST, false}, // not past the 0.5 s
        {Vst2Plugin::PRIO_MIDI, 0.6, Vst2Plugin::PRIO_HOST, true},
        {Vst2Plugin::PRIO_HOST, 0.0, Vst2Plugin::PRIO_MIDI, true},
        {Vst2Plugin::PRIO_HOST, 0.1, Vst2Plugin::PRIO_HOST, true},
        {Vst2Plugin::PRIO_PROGRAM, 0.4, Vst2Plugin::PRIO_MIDI, false},
    };
    for (const Case& c : cases) {
        Vst2PluginRig rig;
        ASSERT_TRUE(rig.plugin->set_param_pi(1, 0.2f, c.first));
        g_now += c.later;
        EXPECT_EQ(rig.plugin->set_param_pi(1, 0.7f, c.second), c.granted);
        EXPECT_EQ(value_of(rig, 1), c.granted ? 0.7f : 0.2f);
    }
    // A program change takes every parameter with 200 and releases it at once.
    Vst2PluginRig rig;
    ASSERT_TRUE(rig.plugin->set_param_pi(0, 0.2f, Vst2Plugin::PRIO_MIDI));
    ASSERT_TRUE(rig.plugin->setProgram(1));
    EXPECT_EQ(value_of(rig, 0), 0.2f);
    rig.plugin->setParameter(0, 0.9f);
    EXPECT_EQ(value_of(rig, 0), 0.9f);
}

TEST(Vst2Plugin, BankFromEitherSideIsOfferedOnceAtTheNextBlock)
{
    for (const bool from_gui : {true, false}) {
        Vst2PluginRig rig(make_bank(3), true);
        // The factory bank filled the buffer: the first block offers it.
        rig.process();
        rig.process();
        ASSERT_EQ(rig.dsp->nbr_update_bank.load(), 1);
        rig.host.clear();

        const mppi::BankManager bank = make_bank(5);
        if (from_gui) {
            rig.gui->get_host()->update_dsp_bank(bank);
        } else {
            rig.dsp->get_host()->update_bank(bank);
        }
        EXPECT_EQ(rig.gui->banks.size(), from_gui ? 0u : 1u);
        EXPECT_EQ(rig.dsp->nbr_update_bank.load(), 1);
        rig.process();
        rig.process();
        EXPECT_EQ(rig.dsp->nbr_update_bank.load(), 2);
        EXPECT_EQ(rig.host.calls(v::HOST_UPDATE_DISPLAY).size(), 1u);
    }
}

TEST(Vst2Plugin, RateChangeAndSuspendResumeClearTheEffect)
{
    Vst2PluginRig rig;
    const float bad_rates[] = {NaN, std::numeric_limits<float>::infinity(), 0.0f, -48000.0f,
                               float(test_support::RecordingDsp::MAX_RATE) + 1};
    rig.plugin->setSampleRate(48000.0f);
    const int cleared = rig.dsp->nbr_clear;
    for (const float rate : bad_rates) {
        rig.plugin->setSampleRate(rate);
    }
    EXPECT_EQ(rig.dsp->rate, 48000.0f);
    EXPECT_EQ(rig.plugin->getSampleRate(), 48000.0f);
    EXPECT_EQ(rig.dsp->nbr_clear, cleared);

    // Each clears the effect and frees every parameter of its writer.
    for (const bool suspend : {true, false}) {
        ASSERT_TRUE(rig.plugin->reserve_param(2, Vst2Plugin::PRIO_PROGRAM));
        const int before = rig.dsp->nbr_clear;
        suspend ? rig.plugin->suspend() : rig.plugin->resume();
        EXPECT_EQ(rig.dsp->nbr_clear, before + 1);
        EXPECT_TRUE(rig.plugin->is_param_free(2, 0));
    }
}

TEST(Vst2Plugin, ProgramSelectionStaysInsideTheBank)
{
    Vst2PluginRig rig(make_bank(3));
    ASSERT_TRUE(rig.plugin->setProgram(2));
    for (const int index : {3, -1, 1000}) {
        EXPECT_FALSE(rig.plugin->setProgram(index));
    }
    EXPECT_EQ(rig.plugin->getProgram(), 2);
    EXPECT_EQ(rig.dsp->prog_name, "P2");
    EXPECT_EQ(value_of(rig, 1), prog_value(2, 1));
    char name[Vst2Plugin::PROG_NAME_INDEXED_LEN + 1] = {};
    EXPECT_FALSE(rig.plugin->getProgramNameIndexed(3, name));

    // A program shorter than the parameters sets what it holds and keeps the rest.
    mppi::ProgramSlot short_prog;
    short_prog.set_nbr_param(1);
    short_prog.set_param(0, 0.75f);
    rig.plugin->set_program_pi_and_host(short_prog, Vst2Plugin::PRIO_PROGRAM, true, false);
    EXPECT_EQ(value_of(rig, 0), 0.75f);
    EXPECT_EQ(value_of(rig, 2), prog_value(2, 2));

    mppi::BankManager empty(0);
    Vst2PluginRig empty_rig(empty);
    EXPECT_FALSE(empty_rig.plugin->setProgram(0));
}

TEST(Vst2Plugin, ChannelsOutsideThePinsAreNotConnected)
{
    Vst2PluginRig rig;
    rig.host.unconnected_in = {1};
    struct Case
    {
        int pin;
        int chn;
        bool in;
        bool out;
    };
    const Case cases[] = {{0, 0, true, true},   {0, 1, false, true},   {0, 2, false, false},
                          {1, 0, false, false}, {-1, 0, false, false}, {0, -1, false, false}};
    mppi::HostDspInterface& adapter = *rig.dsp->get_host();
    for (const Case& c : cases) {
        EXPECT_EQ(adapter.is_input_connected(c.pin, c.chn), c.in) << c.pin << "," << c.chn;
        EXPECT_EQ(adapter.is_output_connected(c.pin, c.chn), c.out) << c.pin << "," << c.chn;
    }
}

TEST(Vst2Plugin, EmptyBlocksAndEventListsDoNothing)
{
    Vst2PluginRig rig;
    rig.host.clear();
    rig.process(0);
    rig.process(-5);
    EXPECT_EQ(rig.dsp->nbr_frames.load(), 0);
    EXPECT_TRUE(rig.host.opcodes().empty());

    v::MidiEvent note;
    note.midi_data = {0x90, 60, 100, 0};
    v::Event* with_null[2] = {nullptr, &note};
    const v::EventList lists[] = {{0, with_null}, {-3, with_null}, {2, nullptr}, {2, with_null}};
    EXPECT_EQ(rig.plugin->processEvents(nullptr), 1);
    for (const v::EventList& list : lists) {
        EXPECT_EQ(rig.plugin->processEvents(&list), 1);
    }
}

TEST(Vst2Plugin, AutomationFollowsTheBindingsLevelInsideTheParameters)
{
    Vst2PluginRig rig;
    rig.dsp->get_param_ref(1).init(0.0, Vst2Plugin::AUTOMATION_LEVEL + 1);
    const std::vector<std::pair<int, bool>> cases = {
        {-1, false}, {0, true}, {1, false}, {2, true}, {3, true}};
    for (const auto& [index, automatable] : cases) {
        EXPECT_EQ(rig.plugin->canParameterBeAutomated(index), automatable) << index;
    }
}

TEST(Vst2Plugin, EditorChangeReachesTheHostAsOneGesture)
{
    Vst2PluginRig rig(make_bank(3), true);
    std::vector<int> w2n = {2, 0, 1};
    std::vector<int> n2w = {1, 2, 0};
    rig.plugin->use_param_reorder().complete_and_commit_new_map(w2n, n2w);
    rig.host.clear();
    mppi::HostGuiInterface& adapter = *rig.gui->get_host();
    adapter.set_param(0, 0.5f, 150);
    adapter.set_param(0, 0.6f, 150);
    rig.plugin->idle(); // still held by the editor
    EXPECT_EQ(rig.host.opcodes(),
              (std::vector<std::int32_t>{v::HOST_BEGIN_EDIT, v::HOST_AUTOMATE, v::HOST_AUTOMATE}));
    EXPECT_EQ(rig.host.calls(v::HOST_AUTOMATE)[1].index, 1);
    EXPECT_EQ(rig.host.calls(v::HOST_AUTOMATE)[1].opt, 0.6f);
    EXPECT_EQ(rig.gui->shown.back().value, 0.6f);
    adapter.release_param(0, 150);
    rig.plugin->idle();
    rig.plugin->idle();
    ASSERT_EQ(rig.host.calls(v::HOST_END_EDIT).size(), 1u);
    EXPECT_EQ(rig.host.calls(v::HOST_END_EDIT)[0].index, 1);

    // An effect that hides its parameters tells the host nothing.
    rig.dsp->hide_flag = 1;
    rig.host.clear();
    adapter.set_param(2, 0.5f, 150);
    EXPECT_TRUE(rig.host.opcodes().empty());
    EXPECT_EQ(value_of(rig, 2), 0.5f);
}

TEST(Vst2Plugin, ChunksRestoreTheBankAndTheCurrentProgram)
{
    Vst2PluginRig rig(make_bank(4));
    ASSERT_TRUE(rig.plugin->setProgram(2));
    rig.plugin->setParameter(1, 0.875f);
    const std::vector<unsigned char> bank = rig.plugin->getChunk(false);
    const std::vector<unsigned char> prog = rig.plugin->getChunk(true);

    Vst2PluginRig other(make_bank(1));
    EXPECT_FALSE(other.plugin->setChunk(bank.data(), long(bank.size()) - 1, false));
    EXPECT_FALSE(other.plugin->setChunk(prog.data(), long(prog.size()) - 1, true));
    EXPECT_FALSE(other.plugin->setChunk(nullptr, 100, false));
    EXPECT_EQ(other.plugin->getNumPrograms(), 1);
    ASSERT_TRUE(other.plugin->setChunk(bank.data(), long(bank.size()), false));
    EXPECT_EQ(other.plugin->getNumPrograms(), 4);
    // The current program (0 here) is selected again from the new bank.
    EXPECT_EQ(value_of(other, 0), prog_value(0, 0));
    ASSERT_TRUE(other.plugin->setProgram(2));
    EXPECT_EQ(value_of(other, 1), 0.875f);
    ASSERT_TRUE(other.plugin->setProgram(0));
    ASSERT_TRUE(other.plugin->setChunk(prog.data(), long(prog.size()), true));
    EXPECT_EQ(value_of(other, 1), 0.875f);
    EXPECT_EQ(other.dsp->prog_name, "P2");
}

// The bytes as host events of three bytes each, handed over in one call.
void feed(Vst2Plugin& plugin, const std::vector<std::array<std::uint8_t, 4>>& bytes)
{
    std::vector<v::MidiEvent> events(bytes.size());
    std::vector<v::Event*> list_arr;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        events[i].midi_data = bytes[i];
        list_arr.push_back(&events[i]);
    }
    const v::EventList list = {std::int32_t(list_arr.size()), list_arr.data()};
    EXPECT_EQ(plugin.processEvents(&list), 1);
}

TEST(Vst2Plugin, LearnedNrpnMovesItsParameterThroughProcessEvents)
{
    Vst2PluginRig rig;
    mppi::MidiMgr& mgr = *rig.plugin->use_midi_mgr();
    mgr.set_autobind_param(1);
    rig.host.clear();
    // NRPN 3, data entry 127 then its fine part 127: 16383, the top.
    feed(*rig.plugin, {{0xB0, 99, 0, 0}, {0xB0, 98, 3, 0}, {0xB0, 6, 127, 0}, {0xB0, 38, 127, 0}});
    EXPECT_EQ(value_of(rig, 1), 1.0f);
    EXPECT_TRUE(rig.host.calls(v::HOST_AUTOMATE).empty());
    const std::vector<unsigned char> prog = rig.plugin->getChunk(true);
    mppi::ProgramSlot stored;
    ASSERT_EQ(stored.read_from_memory(prog.data(), long(prog.size())), 0);
    EXPECT_EQ(stored.get_param(1), 1.0f);

    // MIDI holds the parameter against the host for 0.5 s.
    rig.plugin->setParameter(1, 0.25f);
    EXPECT_EQ(value_of(rig, 1), 1.0f);
    feed(*rig.plugin, {{0xB0, 6, 0, 0}, {0xB0, 38, 0, 0}});
    EXPECT_EQ(value_of(rig, 1), 0.0f);
    g_now += 0.6;
    rig.plugin->setParameter(1, 0.25f);
    EXPECT_EQ(value_of(rig, 1), 0.25f);

    // Without the VST input selected the events go nowhere.
    ASSERT_EQ(mgr.use_dev_selector()->select_dev_in(-1), 0);
    g_now += 0.6;
    feed(*rig.plugin, {{0xB0, 6, 127, 0}, {0xB0, 38, 127, 0}});
    EXPECT_EQ(value_of(rig, 1), 0.25f);
}

TEST(Vst2Plugin, ProgramFeedbackReachesTheHostAtTheNextBlock)
{
    Vst2PluginRig rig(make_bank(3));
    mppi::MidiMgr& mgr = *rig.plugin->use_midi_mgr();
    ASSERT_EQ(mgr.set_default_nrpn_mapping(), 0);
    // The output is off at start: nothing is sent.
    ASSERT_TRUE(rig.plugin->setProgram(1));
    rig.process();
    EXPECT_TRUE(rig.host.midi_received().empty());

    ASSERT_EQ(mgr.use_dev_selector()->select_dev_out(0), 0);
    ASSERT_TRUE(rig.plugin->setProgram(2));
    EXPECT_TRUE(rig.host.midi_received().empty());
    rig.process();
    const std::vector<std::array<std::uint8_t, 4>> sent = rig.host.midi_received();
    EXPECT_EQ(sent.size(), 3u * 4u);
    rig.process();
    EXPECT_EQ(rig.host.midi_received().size(), sent.size());

    // Fed back into a plug-in with the same map, the feedback sets program 2's values to
    // 14-bit precision.
    Vst2PluginRig other;
    ASSERT_EQ(other.plugin->use_midi_mgr()->set_default_nrpn_mapping(), 0);
    feed(*other.plugin, sent);
    for (int i = 0; i < 3; ++i) {
        EXPECT_NEAR(value_of(other, i), prog_value(2, i), 0.5 / 16383) << i;
    }
}

TEST(Vst2Plugin, AudioThreadCallsAllocateNothing)
{
    Vst2PluginRig rig;
    rig.host.time_flag = true;
    rig.host.time.tempo = 133;
    rig.host.time.flags = v::TIME_TEMPO_VALID;
    v::MidiEvent cc;
    cc.midi_data = {0xB0, 7, 100, 0};
    v::Event* events[1] = {&cc};
    const v::EventList list = {1, events};
    rig.process();
    rig.plugin->update_bank_from_gui(make_bank(2));

    const long before = test_support::get_nbr_allocations();
    rig.plugin->process_pre();
    (void)rig.plugin->processEvents(&list);
    rig.process();
    rig.plugin->setParameter(0, 0.5f);
    (void)rig.plugin->set_param_pi(1, 0.5f, Vst2Plugin::PRIO_MIDI);
    EXPECT_EQ(test_support::get_nbr_allocations(), before);
    EXPECT_EQ(rig.dsp->tempo.load(), 133.0f);
}

} // namespace

namespace {

TEST(Vst2PluginThreads, BanksAndParametersOnOneThreadBlocksAndMidiOnAnother)
{
    Vst2PluginRig rig;
    rig.plugin->set_clock(sys_clock);
    std::atomic<bool> stop{false};
    std::thread audio([&] {
        v::MidiEvent cc;
        cc.midi_data = {0xB0, 7, 64, 0};
        v::Event* events[1] = {&cc};
        const v::EventList list = {1, events};
        for (int i = 0; !stop.load(); ++i) {
            (void)rig.plugin->processEvents(&list);
            (void)rig.plugin->set_param_pi(i % 3, float(i % 100) / 100, Vst2Plugin::PRIO_MIDI);
            rig.process();
        }
    });
    for (int i = 0; i < 300 || rig.dsp->nbr_frames.load() < 64 * 100; ++i) {
        rig.plugin->update_bank_from_gui(make_bank(1 + i % 4));
        ASSERT_TRUE(rig.plugin->setProgram(i % 3));
        rig.plugin->setParameter(i % 3, 0.5f);
        (void)rig.plugin->getChunk(true);
    }
    stop.store(true);
    audio.join();
    for (int i = 0; i < 3; ++i) {
        EXPECT_GE(value_of(rig, i), 0.0f);
        EXPECT_LE(value_of(rig, i), 1.0f);
    }
    EXPECT_GT(rig.dsp->nbr_frames.load(), 0);
}

} // namespace
