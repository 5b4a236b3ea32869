#include "lib/mppi/vst2/HostCaller.h"

#include "support/FakeVst2Host.h"

#include <gtest/gtest.h>

namespace {

namespace v = mppi::vst2;

TEST(HostCaller, WithoutCallbackEveryChannelIsConnectedAndThereIsNoTime)
{
    const v::HostCaller caller;
    EXPECT_FALSE(caller.has_callback());
    EXPECT_EQ(caller.get_version(), 0);
    EXPECT_EQ(caller.get_time(v::TIME_TEMPO_VALID), nullptr);
    EXPECT_FALSE(caller.can_do("sizeWindow"));
    EXPECT_FALSE(caller.size_window(10, 10));
    for (int chn = 0; chn < 4; ++chn) {
        EXPECT_TRUE(caller.is_input_connected(chn));
        EXPECT_TRUE(caller.is_output_connected(chn));
    }
    caller.begin_edit(0);
    caller.automate(0, 0.5f);
    caller.end_edit(0);
    caller.update_display();
}

TEST(HostCaller, EachCallCarriesItsOpcodeAndArguments)
{
    test_support::FakeVst2Host host;
    host.unconnected_out = {1};
    v::HostCaller caller(test_support::FakeVst2Host::callback);
    EXPECT_EQ(caller.get_version(), 2400);
    EXPECT_TRUE(caller.is_input_connected(1));
    EXPECT_FALSE(caller.is_output_connected(1));
    EXPECT_TRUE(caller.can_do("sizeWindow"));
    EXPECT_FALSE(caller.can_do(nullptr));
    caller.begin_edit(3);
    caller.automate(3, 0.25f);
    caller.end_edit(3);
    caller.update_display();
    v::MidiEvent event;
    event.midi_data = {0xB0, 1, 2, 0};
    v::Event* list_arr[1] = {&event};
    caller.process_events({1, list_arr});

    using C = test_support::FakeVst2Host::Call;
    const std::vector<C> expected = {
        {v::HOST_VERSION, 0, 0, 0},       {v::HOST_PIN_CONNECTED, 1, 0, 0},
        {v::HOST_PIN_CONNECTED, 1, 1, 0}, {v::HOST_CAN_DO, 0, 0, 0},
        {v::HOST_BEGIN_EDIT, 3, 0, 0},    {v::HOST_AUTOMATE, 3, 0, 0.25f},
        {v::HOST_END_EDIT, 3, 0, 0},      {v::HOST_UPDATE_DISPLAY, 0, 0, 0},
        {v::HOST_PROCESS_EVENTS, 0, 0, 0}};
    const std::vector<C> calls = host.all_calls();
    ASSERT_EQ(calls.size(), expected.size());
    for (std::size_t i = 0; i < calls.size(); ++i) {
        EXPECT_EQ(calls[i].opcode, expected[i].opcode) << i;
        EXPECT_EQ(calls[i].index, expected[i].index) << i;
        EXPECT_EQ(calls[i].value, expected[i].value) << i;
        EXPECT_EQ(calls[i].opt, expected[i].opt) << i;
    }
    EXPECT_EQ(host.midi_received(), (std::vector<std::array<std::uint8_t, 4>>{{0xB0, 1, 2, 0}}));
}

} // namespace
