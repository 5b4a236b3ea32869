#include "lib/mppi/MidiModParam.h"

#include "lib/mppi/ModChannel.h"
#include "support/NamedParam.h"
#include "support/RecordingNotified.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using mppi::MidiModParam;
using ModParam = test_support::NamedParamOf<MidiModParam>;

TEST(MidiModParam, ResponseCurvesFollowTheirFormulas)
{
    // At x = 1/4, 1/2 and 3/4, worked out by hand from each curve's formula.
    const double third = 1.0 / 3.0;
    const double expected[MidiModParam::NBR_CURVES][3] = {
        {0.25, 0.5, 0.75},                // x
        {0.4375, 0.75, 0.9375},           // 1 - (x - 1)^2
        {0.68359375, 0.9375, 0.99609375}, // 1 - (x - 1)^4
        {0.0625, 0.25, 0.5625},           // x^2
        {0.00390625, 0.0625, 0.31640625}, // x^4
        {0.15625, 0.5, 0.84375},          // S(x)
        {0.0, 0.5, 1.0},                  // S(4x - 1.5)
        {1.0, 1.0, 1.0},                  // S(4x)
        {0.0, 0.0, 0.0},                  // S(4x - 3)
        {0.25, 0.5, 0.75},                // floor(4x) / 4
        {0.25, 0.5, 0.75},                // floor(16x) / 16
        {0.1875, 0.46875, 0.75},          // floor(32x / 3) * 0.09375
        {2.0 * third, third, 0.0},        // (floor(128x) mod 12) / 12
        {-0.5, 0.0, 0.5},                 // y = 2x - 1
        {-0.75, 0.0, 0.75},               // s (1 - (a - 1)^2)
        {-0.9375, 0.0, 0.9375},           // s (1 - (a - 1)^4)
        {-0.25, 0.0, 0.25},               // s a^2
        {-0.0625, 0.0, 0.0625},           // s a^4
        {-0.5, 0.0, 0.5},                 // s S(a)
        {-0.5, 0.0, 0.5},                 // s S(4a - 1.5)
        {-1.0, 0.0, 1.0},                 // s S(4a)
        {0.0, 0.0, 0.0},                  // s S(4a - 3)
        {-0.5, 0.0, 0.5},                 // floor(4x) / 2 - 1
        {-0.5, 0.0, 0.5},                 // floor(16x) / 8 - 1
        {-0.625, -0.0625, 0.5},           // floor(32x / 3) * 0.1875 - 1
        {third, -third, -1.0},            // (floor(128x) mod 12) / 6 - 1
    };
    ModParam param;
    EXPECT_EQ(param.get_nbr_curve(), MidiModParam::NBR_CURVES);
    for (int curve = 0; curve < MidiModParam::NBR_CURVES; ++curve) {
        param.set_curve(curve);
        for (int i = 0; i < 3; ++i) {
            EXPECT_NEAR(param.map_mod(0.25f * float(i + 1)), expected[curve][i], 1e-7) << curve;
        }
    }
    struct Edge
    {
        int curve;
        float x;
        double result;
    };
    for (const Edge& e :
         {Edge{9, 0.99f, 0.75}, Edge{22, 1.0f, 1.0}, Edge{12, 61.0f / 128, 1.0 / 12},
          Edge{25, 1.0f, third}, Edge{5, -0.5f, 0.0}, Edge{5, 1.5f, 1.0}, Edge{-1, 0.5f, 0.0},
          Edge{26, 0.5f, 0.0}}) {
        param.set_curve(e.curve);
        EXPECT_NEAR(param.map_mod(e.x), e.result, 1e-7) << "curve " << e.curve << " x " << e.x;
    }
}

class StubChannel : public mppi::ModChannel
{
public:
    bool has_cur_event() const noexcept override { return has_event; }
    float get_cur_val() const noexcept override { return value; }
    int get_cur_voice() const noexcept override { return voice; }

    bool has_event = false;
    float value = 0.0f;
    int voice = -1;
};

class MidiModParamLinked : public ::testing::Test
{
protected:
    MidiModParamLinked() : param("Cutoff Mod")
    {
        param.init(0.5, 2);
        param.set_notified(&owner);
        param.set_notified_for_mod_change(&mod_listener);
        param.use_dest(0).set_channel(&channel);
    }

    void send(float value, int voice)
    {
        channel.has_event = true;
        channel.value = value;
        channel.voice = voice;
        param.mod_value_changed(&param.use_dest(0));
    }
    // The amount stored in the parameter itself.
    float mod_amount() const { return param.NormalizedParamInterface::do_get_mod(0); }

    ModParam param;
    StubChannel channel;
    test_support::RecordingNotified owner;
    test_support::RecordingNotified mod_listener;
};

TEST_F(MidiModParamLinked, PolyModeKeepsVoicesAndTheLatestEntry)
{
    EXPECT_EQ(param.use_dest(7).get_name(), "Cutoff Mod");
    EXPECT_EQ(param.use_dest(7).get_container(), &param);
    param.set_poly_mode(true);
    param.set_sensibility(0.5f);

    send(1.0f, 5);
    EXPECT_EQ(param.do_get_mod(5), 0.5f);
    EXPECT_EQ(param.do_get_mod(-1), 0.5f) << "latest entry";
    EXPECT_EQ(param.do_get_mod(6), 0.0f) << "another voice";
    EXPECT_EQ(mod_amount(), 0.5f);
    // A voice beyond 127 counts as none: only the latest entry is written,
    // and a read beyond 127 reads the latest entry.
    for (const int voice : {128, 129, 100000}) {
        send(0.5f, voice);
        EXPECT_EQ(param.do_get_mod(5), 0.25f) << voice;
    }
    send(0.25f, 5);
    EXPECT_EQ(param.do_get_mod(200), 0.125f);
    channel.has_event = false; // no event: value 0, no voice
    param.mod_value_changed(&param.use_dest(0));
    EXPECT_EQ(param.do_get_mod(5), 0.0f) << "no voice: the latest entry";

    param.set_poly_mode(false);
    send(0.75f, 5);
    EXPECT_EQ(param.do_get_mod(99), 0.375f) << "one entry outside poly mode";
}

TEST_F(MidiModParamLinked, DisconnectingZeroesEveryEntryAndNotifiesTheOwner)
{
    param.set_poly_mode(true);
    send(1.0f, 3);
    send(1.0f, 9);
    const int set_val_before = param.nbr_set_val;
    owner.senders.clear();

    param.use_dest(0).set_channel(nullptr);
    for (const int voice : {3, 9, -1}) {
        EXPECT_EQ(param.do_get_mod(voice), 0.0f) << voice;
    }
    EXPECT_EQ(mod_amount(), 0.0f);
    EXPECT_EQ(param.nbr_set_val.load(), set_val_before + 1);
    EXPECT_EQ(owner.senders, (std::vector<const mppi::NotifierInterface*>{&param}));

    send(1.0f, 3); // a change with no channel connected
    EXPECT_EQ(param.do_get_mod(3), 0.0f);
}

TEST_F(MidiModParamLinked, LinksHearTheirOwnChanges)
{
    owner.senders.clear();
    param.set_curve(3);
    param.set_sensibility(2.0f);
    EXPECT_EQ(mod_listener.senders.size(), 2u) << "curve and sensitivity";
    EXPECT_TRUE(owner.senders.empty());

    send(0.5f, -1);
    EXPECT_EQ(mod_amount(), 0.5f) << "0.5^2 times 2";
    EXPECT_EQ(mod_listener.senders,
              (std::vector<const mppi::NotifierInterface*>{&param, &param, &param}));
    EXPECT_EQ(owner.senders, (std::vector<const mppi::NotifierInterface*>{&param}));
}

TEST(MidiModParam, BeforeInitNothingIsStoredAndIdsFollowEachOther)
{
    ModParam param;
    StubChannel channel;
    channel.has_event = true;
    channel.value = 1.0f;
    channel.voice = 5;
    param.use_dest(0).set_channel(&channel);
    param.mod_value_changed(&param.use_dest(0));
    EXPECT_EQ(param.do_get_mod(5), 0.0f);

    const mppi::ModBase first;
    const mppi::ModBase second("named");
    EXPECT_EQ(second.get_id(), first.get_id() + 1);
    EXPECT_EQ(mppi::ModBase::generate_id(), second.get_id() + 1);
}

} // namespace
