#include "plugin/dsp/FilterTapStage.h"

#include "lib/mppi/NormalizedParamInterface.h"
#include "lib/mppi/PluginInternal.h"
#include "plugin/dsp/BrevantDsp.h"
#include "support/BrevantParamIndex.h"
#include "support/DspStub.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

namespace {

using enum test_support::BrevantParamIndex;

struct Setting
{
    int index;
    double natural;
};

// An effect set up on stereo, with the settings taken by a reset.
std::unique_ptr<BrevantDsp> make_dsp(float fs, const std::vector<Setting>& settings = {})
{
    auto dsp = std::make_unique<BrevantDsp>();
    EXPECT_EQ(dsp->init(), 0);
    dsp->set_default_state();
    for (const Setting& s : settings) {
        dsp->get_param_ref(s.index).set_nat_val(s.natural);
    }
    dsp->set_sample_freq(fs);
    dsp->clear_buffers();
    return dsp;
}

// nbr_spl samples of a constant through the effect, in blocks of 64.
void feed(BrevantDsp& dsp, long nbr_spl, float value = 0.1f)
{
    std::vector<float> buf(64);
    for (long done = 0; done < nbr_spl; done += 64) {
        std::fill(buf.begin(), buf.end(), value);
        float* out[2] = {buf.data(), buf.data()};
        const float* in[2] = {buf.data(), buf.data()};
        (void)dsp.do_process_replacing(out, in, std::min(64L, nbr_spl - done), false);
    }
}

// A registry that is not the effect: a stage set up on it has no owner to
// hand the low-pass share to, and skips those calls.
class Registry : public test_support::DspStub, public mppi::PluginInternal
{
public:
    int get_nbr_param() const noexcept override { return get_next_param_id(); }
    mppi::NormalizedParamInterface& get_param_ref(int index) const noexcept override
    {
        return use_param(index);
    }
};

// The rings hold the longest delay (15 x 50 ms) plus a chunk, as a power of
// two; they grow with the rate, keep their content, and never shrink.
TEST(FilterTapStage, RingSizes)
{
    const struct
    {
        float fs;
        long size;
    } cases[] = {{4000, 4096},   {8000, 8192},    {22050, 32768},  {44100, 65536},
                 {48000, 65536}, {87300, 131072}, {96000, 131072}, {384000, 524288}};
    for (const auto& c : cases) {
        // A stage on its own, set to the rate before its first sizing (the
        // effect's stage is sized at 44100 Hz first and never shrinks).
        Registry registry;
        FilterTapStage::ScratchBlock scratch{};
        FilterTapStage tap;
        tap.set_sample_freq(c.fs);
        tap.init(registry, scratch);
        EXPECT_EQ(tap.get_ring_size(), c.size) << c.fs;
        EXPECT_EQ(make_dsp(c.fs)->get_tap_stage().get_ring_size(), std::max(c.size, 65536L));
    }
    // Every band delay, read a chunk behind, stays within the ring.
    for (float fs = 87297; fs <= 87382; fs += 5) {
        for (const double evolution : {-50.0, 50.0}) {
            const auto dsp = make_dsp(fs, {{EVOLUTION, evolution}});
            const FilterTapStage& tap = dsp->get_tap_stage();
            for (int band = 0; band < FilterTapStage::NBR_BANDS; ++band) {
                const long expected =
                    std::lround((evolution > 0 ? band : 15 - band) * 0.05 * double(fs));
                EXPECT_EQ(tap.get_delay_spl(band), expected);
                EXPECT_LE(tap.get_delay_spl(band) + 64, tap.get_ring_size());
            }
        }
    }
    const auto dsp = make_dsp(44100);
    feed(*dsp, 640, 0.5f);
    const FilterTapStage& tap = dsp->get_tap_stage();
    const long last = tap.get_write_pos() - 1;
    const float kept = tap.get_ring_sample(1, last);
    EXPECT_NEAR(kept, 0.5f, 1e-6f);
    dsp->set_sample_freq(96000);
    EXPECT_EQ(tap.get_ring_size(), 131072);
    EXPECT_EQ(tap.get_ring_sample(1, last), kept);
    dsp->set_sample_freq(44100);
    EXPECT_EQ(tap.get_ring_size(), 131072);
}

// Band k is delayed by k steps of Evolution, or by 15 - k steps for negative
// times; a change glides there in 0.1 s.
TEST(FilterTapStage, BandDelaysFollowEvolution)
{
    const struct
    {
        double evolution;
        float fs;
        long step;
        bool reversed;
    } cases[] = {{0, 44100, 0, false},
                 {10, 44100, 441, false},
                 {-10, 44100, 441, true},
                 {50, 48000, 2400, false},
                 {-50, 96000, 4800, true}};
    for (const auto& c : cases) {
        const auto dsp = make_dsp(c.fs, {{EVOLUTION, c.evolution}});
        for (int band = 0; band < FilterTapStage::NBR_BANDS; ++band) {
            EXPECT_EQ(dsp->get_tap_stage().get_delay_spl(band),
                      c.step * (c.reversed ? 15 - band : band))
                << c.evolution << " ms, band " << band;
        }
    }
    const auto dsp = make_dsp(44100, {{EVOLUTION, 10}});
    dsp->get_param_ref(EVOLUTION).set_nat_val(-10);
    feed(*dsp, 64 * 35); // about half way: every delay between its ends
    const FilterTapStage& tap = dsp->get_tap_stage();
    EXPECT_GT(tap.get_delay_spl(0), 0);
    EXPECT_LT(tap.get_delay_spl(0), 6615);
    feed(*dsp, 64 * 35);
    EXPECT_EQ(tap.get_delay_spl(0), 6615);
    EXPECT_EQ(tap.get_delay_spl(14), 441);
}

// Band k sits at (k + 1) cut-off x spacing with q = k + 1; no band above
// 0.475 times the rate; "Nbr Bands" counts the low-pass as one.
TEST(FilterTapStage, BandLayout)
{
    const struct
    {
        float fs;
        double cutoff, spacing, nbr;
        int active;
    } cases[] = {{44100, 1000, 1, 16, 15}, {44100, 10240, 1, 16, 2}, {4000, 10240, 5, 16, 0},
                 {44100, 1000, 2, 16, 10}, {44100, 1000, 2, 1, 0},   {48000, 440, 3, 6, 5},
                 {44100, 1000, 2, 2.5, 2}};
    for (const auto& c : cases) {
        const auto dsp =
            make_dsp(c.fs, {{CUTOFF, c.cutoff}, {SPACING, c.spacing}, {NBR_BAND, c.nbr}});
        const FilterTapStage& tap = dsp->get_tap_stage();
        ASSERT_EQ(tap.get_nbr_active_band(), c.active) << c.fs << " " << c.cutoff;
        EXPECT_EQ(tap.get_first_rband(), c.active);
        EXPECT_EQ(tap.get_first_rband_decreasing(), c.active);
        const float f1 = float(c.cutoff) * float(c.spacing);
        for (int k = 0; k < c.active; ++k) {
            const dsp::Filter2p& f = tap.get_filter(0, k);
            EXPECT_EQ(f._freq, float(k + 1) * f1);
            EXPECT_LE(f._freq, 0.475 * c.fs);
            EXPECT_EQ(f._q, float(k + 1));
            EXPECT_EQ(f._type, dsp::Filter2p::TYPE_BANDPASS);
            EXPECT_EQ(f._gain, 1.0f);
        }
    }
}

// Bands switched on fade in over 640 samples and become steady at the next
// tick; switched off they fade out and leave with a cleared memory.
TEST(FilterTapStage, BandsFadeIn640Samples)
{
    const auto dsp = make_dsp(44100, {{NBR_BAND, 4}, {CUTOFF, 500}});
    const FilterTapStage& tap = dsp->get_tap_stage();
    feed(*dsp, 64);
    dsp->get_param_ref(NBR_BAND).set_nat_val(7);
    feed(*dsp, 64); // the tick before this chunk lays the bands out
    EXPECT_EQ(tap.get_nbr_active_band(), 6);
    EXPECT_EQ(tap.get_first_rband(), 3);
    EXPECT_EQ(tap.get_first_rband_decreasing(), 6);
    for (int band = 3; band < 6; ++band) {
        EXPECT_NEAR(tap.get_fade(band), 64 * 0.0015625, 1e-6);
    }
    feed(*dsp, 64 * 9);
    EXPECT_EQ(tap.get_first_rband(), 3); // 639/640 of the way, not yet steady
    feed(*dsp, 64);
    EXPECT_EQ(tap.get_first_rband(), 6);
    EXPECT_EQ(tap.get_fade(5), 1.0f);

    dsp->get_param_ref(NBR_BAND).set_nat_val(4);
    feed(*dsp, 64);
    EXPECT_EQ(tap.get_nbr_active_band(), 6);
    EXPECT_EQ(tap.get_first_rband(), 3);
    EXPECT_EQ(tap.get_first_rband_decreasing(), 3);
    EXPECT_NEAR(tap.get_fade(4), 1 - 64 * 0.0015625, 1e-5);
    feed(*dsp, 64 * 10);
    EXPECT_EQ(tap.get_nbr_active_band(), 3);
    for (int band = 3; band < 6; ++band) {
        EXPECT_EQ(tap.get_fade(band), 0.0f);
        for (int chn = 0; chn < 2; ++chn) {
            for (int k = 0; k < 2; ++k) {
                EXPECT_EQ(tap.get_filter(chn, band).get_mem_y(k), 0.0f);
            }
        }
    }
}

// A band dropped at once by the limit (or a reset) comes back from silence,
// never above full level.
TEST(FilterTapStage, BandLeavingByTheLimitReturnsSilent)
{
    const auto dsp = make_dsp(44100, {{NBR_BAND, 11}, {CUTOFF, 1000}, {SPACING, 1}});
    const FilterTapStage& tap = dsp->get_tap_stage();
    ASSERT_EQ(tap.get_nbr_active_band(), 10);
    dsp->get_param_ref(CUTOFF).set_nat_val(5000); // limit 4
    feed(*dsp, 64 * 80, 0.3f);
    ASSERT_EQ(tap.get_nbr_active_band(), 4);
    EXPECT_EQ(tap.get_fade(7), 0.0f);
    dsp->get_param_ref(CUTOFF).set_nat_val(1000);
    float peak = 0;
    for (int tick = 0; tick < 100; ++tick) {
        feed(*dsp, 64, 0.3f);
        for (int band = 0; band < FilterTapStage::NBR_BANDS; ++band) {
            peak = std::max(peak, tap.get_fade(band));
        }
    }
    EXPECT_EQ(tap.get_nbr_active_band(), 10);
    EXPECT_LE(peak, 1.0f);
}

// The tone cross-fade at constant power: bands sin(t pi/2)/sqrt 2, low-pass
// cos(t pi/2)/sqrt 2; a change ramps both over 640 samples.
TEST(FilterTapStage, ToneGains)
{
    const auto band = [](double t) {
        return float(std::sin(t * 1.5707963267948966) * 0.7071067811865476);
    };
    const auto lpf = [](double t) { return std::cos(t * 1.5707963267948966) * 0.7071067811865476; };
    for (const double tone : {0.0, 0.5, 1.0}) {
        const auto dsp = make_dsp(44100, {{TONE, tone}});
        EXPECT_EQ(dsp->get_tap_stage().get_band_gain_cur(), band(tone));
        EXPECT_EQ(dsp->get_tap_stage().get_band_gain_step(), 0.0f);
        EXPECT_EQ(dsp->get_harm_lpf_balance(), lpf(tone));
    }
    EXPECT_EQ(make_dsp(44100, {{TONE, 0}})->get_tap_stage().get_band_gain_cur(), 0.0f);

    const auto dsp = make_dsp(44100, {{TONE, 0}});
    const FilterTapStage& tap = dsp->get_tap_stage();
    dsp->get_param_ref(TONE).set_nat_val(1);
    feed(*dsp, 320); // the tick before the first chunk starts the ramps
    EXPECT_NEAR(tap.get_band_gain_cur(), band(1) * 0.5, 1e-5);
    EXPECT_NEAR(dsp->get_harm_lpf_balance(), lpf(0) * 0.5, 1e-9);
    feed(*dsp, 64 * 7);
    EXPECT_EQ(tap.get_band_gain_cur(), band(1));
    EXPECT_EQ(tap.get_band_gain_step(), 0.0f);
    EXPECT_EQ(dsp->get_harm_lpf_balance(), lpf(1));
}

// Silent input leaves +/-1e-20 in the delay lines, signed by bit 16 of a
// 31-bit linear congruential generator from 0.
TEST(FilterTapStage, DelayLinesHoldDither)
{
    const auto dsp = make_dsp(44100);
    feed(*dsp, 64, 0.0f);
    std::uint64_t state = 0;
    for (long i = 0; i < 64; ++i) {
        state = (state * 1103515245 + 12345) % 0x80000000;
        const float expected = (state >> 16) % 2 == 1 ? 1e-20f : -1e-20f;
        EXPECT_EQ(dsp->get_tap_stage().get_ring_sample(0, i), expected) << i;
    }
    const float first[4] = {-1e-20f, -1e-20f, -1e-20f, 1e-20f};
    for (long i = 0; i < 4; ++i) {
        EXPECT_EQ(dsp->get_tap_stage().get_ring_sample(0, i), first[i]);
    }
}

TEST(FilterTapStage, WorksWithoutOwner)
{
    Registry registry;
    FilterTapStage::ScratchBlock scratch{};
    FilterTapStage tap;
    tap.init(registry, scratch);
    ASSERT_EQ(registry.get_nbr_param(), 2);
    EXPECT_EQ(registry.get_param_ref(0).get_notified(), &tap);
    tap.set_sample_freq(44100);
    tap.set_default_state();
    tap.set_nbr_active_band(1);
    tap.clear_buffers();
    EXPECT_EQ(tap.get_band_gain_cur(),
              float(std::sin(0.5 * 1.5707963267948966) * 0.7071067811865476));
    registry.get_param_ref(1).set_nat_val(1);
    std::vector<float> buf(64, 0.5f);
    float* out[1] = {buf.data()};
    const float* in[1] = {buf.data()};
    for (int k = 0; k < 12; ++k) {
        tap.tick(64);
        tap.process_block(out, in, 64);
    }
    EXPECT_EQ(tap.get_band_gain_cur(), float(0.7071067811865476));
    EXPECT_TRUE(std::isfinite(buf[63]));
}

} // namespace
