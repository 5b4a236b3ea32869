#include "lib/dsp/Biquad.h"
#include "lib/dsp/Filter2p.h"
#include "support/AllocFailure.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace {

using dsp::Biquad;
using dsp::EnvFollowerBase;

enum class Variant
{
    COPY,
    MIX,
    ND,
    CLIP,
    LIMIT
};

constexpr float clip_level = 0.5f;
constexpr float limit_gain = 1.5f;

// Naive model of the section: explicit ping-pong slots and one step per
// sample, written from the definition. The denormal guard goes on the first
// sample of every pair of the paired stretch, which starts after a leading
// single step when the toggle is 1.
struct Model
{
    float b0, b1, b2, a1, a2;
    float xm[2] = {0, 0};
    float ym[2] = {0, 0};
    int t = 0;
    EnvFollowerBase env{0, 0.5f, 0.01f};

    void run(Variant v, float* out, const float* in, long n)
    {
        const long first = t;
        const long pair_end = first + (n - first) / 2 * 2;
        for (long i = 0; i < n; ++i) {
            const bool guard =
                v == Variant::ND && i >= first && i < pair_end && (i - first) % 2 == 0;
            const float x = in[i];
            float acc = b0 * x;
            if (guard) {
                acc = acc + 1e-20f;
            }
            float y = acc + b1 * xm[t] + b2 * xm[1 - t] - (a1 * ym[t] + a2 * ym[1 - t]);
            if (v == Variant::MIX) {
                out[i] = out[i] + y;
            } else if (v == Variant::CLIP) {
                const float lim = 1.41421356f * clip_level;
                const float yc = y > lim ? lim : (y < -lim ? -lim : y);
                y = yc * (1 - yc * yc / (6 * (clip_level * clip_level)));
                out[i] = y;
            } else if (v == Variant::LIMIT) {
                const float d = std::fabs(limit_gain * y) - env._env;
                env._env = env._env + d * (d > 0 ? env._coef_rise : env._coef_fall);
                if (env._env > 1) {
                    y = y / env._env;
                }
                out[i] = y;
            } else {
                out[i] = y;
            }
            xm[1 - t] = x;
            ym[1 - t] = y;
            t = 1 - t;
        }
    }
};

void call(Variant v, Biquad& f, float* out, const float* in, long n, EnvFollowerBase& env)
{
    switch (v) {
    case Variant::COPY:
        f.process_block(out, in, n);
        break;
    case Variant::MIX:
        f.process_block_mix(out, in, n);
        break;
    case Variant::ND:
        f.process_block_nd(out, in, n);
        break;
    case Variant::CLIP:
        f.process_block_clip(out, in, n, clip_level);
        break;
    case Variant::LIMIT:
        f.process_block_limit(out, in, n, env, limit_gain);
        break;
    }
}

void call_in_place(Variant v, Biquad& f, float* buf, long n, EnvFollowerBase& env)
{
    switch (v) {
    case Variant::COPY:
        f.process_block(buf, n);
        break;
    case Variant::MIX:
        f.process_block_mix(buf, n);
        break;
    case Variant::ND:
        f.process_block_nd(buf, n);
        break;
    case Variant::CLIP:
        f.process_block_clip(buf, n, clip_level);
        break;
    case Variant::LIMIT:
        f.process_block_limit(buf, n, env, limit_gain);
        break;
    }
}

std::vector<float> noise(long n, unsigned seed, float amp)
{
    std::mt19937 gen(seed);
    std::uniform_real_distribution<float> dist(-amp, amp);
    std::vector<float> v(std::size_t(n) + 1);
    for (float& s : v) {
        s = dist(gen);
    }
    return v;
}

// A resonant low-pass, so that memory and feedback matter.
dsp::Filter2p make_lowpass()
{
    dsp::Filter2p f;
    f._type = dsp::Filter2p::TYPE_LOWPASS;
    f._freq = 3000;
    f._gain = 4;
    f.update_eq();
    return f;
}

bool same_bits(float a, float b)
{
    return std::bit_cast<std::uint32_t>(a) == std::bit_cast<std::uint32_t>(b);
}

void expect_same_state(const Biquad& f, const Model& m)
{
    for (int k = 0; k < 2; ++k) {
        EXPECT_TRUE(same_bits(f.get_mem_x(k), m.xm[k])) << "x slot " << k;
        EXPECT_TRUE(same_bits(f.get_mem_y(k), m.ym[k])) << "y slot " << k;
    }
    EXPECT_EQ(f.get_mem_pos(), m.t);
}

class BiquadVariants : public ::testing::TestWithParam<Variant>
{
};

// Runs a 200-sample noise block as the given calls and checks output, memory,
// toggle and envelope bit for bit against the naive model run with the same
// calls; for every variant but the guarded one the model gives the same bits
// whatever the split, so this is also the split invariance. The guarded form
// gets a signal near 1e-20 so that where the guard lands shows in the bits.
TEST_P(BiquadVariants, BlockFormsMatchOneStepRuleForAnySplit)
{
    const Variant v = GetParam();
    const std::vector<std::vector<long>> splits = {
        {200}, {1, 63, 64, 72}, {40, 40, 40, 40, 40}, {199, 1}, {3, 0, 5, 2, 190}};
    const std::vector<float> in = noise(200, 7, v == Variant::ND ? 1e-19f : 2.0f);
    const std::vector<float> pre = noise(200, 9, 1.0f);
    std::vector<float> whole;
    for (const auto& split : splits) {
        dsp::Filter2p f = make_lowpass();
        Model m{f._b[0], f._b[1], f._b[2], f._a[1], f._a[2]};
        EnvFollowerBase env = m.env;
        std::vector<float> out = pre;
        std::vector<float> ref = pre;
        long pos = 0;
        for (long n : split) {
            call(v, f, out.data() + pos, in.data() + pos, n, env);
            m.run(v, ref.data() + pos, in.data() + pos, n);
            pos += n;
        }
        for (long i = 0; i < 201; ++i) {
            ASSERT_TRUE(same_bits(out[i], ref[i])) << "sample " << i << " split " << split.size();
        }
        expect_same_state(f, m);
        EXPECT_TRUE(same_bits(env._env, m.env._env));
        if (v != Variant::ND) {
            if (whole.empty()) {
                whole = out;
            }
            EXPECT_EQ(std::memcmp(whole.data(), out.data(), whole.size() * sizeof(float)), 0);
        }
    }
}

TEST_P(BiquadVariants, InPlaceFormEqualsSeparateBuffers)
{
    const Variant v = GetParam();
    std::vector<float> buf = noise(77, 3, 2.0f);
    std::vector<float> out = noise(77, 5, 1.0f);
    std::vector<float> in = buf;
    if (v == Variant::MIX) {
        out = buf;
    }
    dsp::Filter2p a = make_lowpass();
    dsp::Filter2p b = a;
    EnvFollowerBase env_a{0, 0.5f, 0.01f};
    EnvFollowerBase env_b = env_a;
    call(v, a, out.data(), in.data(), 77, env_a);
    call_in_place(v, b, buf.data(), 77, env_b);
    EXPECT_EQ(std::memcmp(out.data(), buf.data(), 77 * sizeof(float)), 0);
}

TEST_P(BiquadVariants, NonPositiveCountChangesNothing)
{
    const Variant v = GetParam();
    dsp::Filter2p f = make_lowpass();
    const std::vector<float> in = noise(9, 11, 1.0f);
    std::vector<float> out(9, 0.25f);
    f.process_block(out.data(), in.data(), 9); // toggle now 1, memory non-zero
    const dsp::Filter2p before = f;
    EnvFollowerBase env{0.75f, 0.5f, 0.5f};
    const std::vector<float> out_before = out;
    for (long n : {0L, -1L, -64L}) {
        call(v, f, out.data(), in.data(), n, env);
        EXPECT_EQ(out, out_before);
        for (int k = 0; k < 2; ++k) {
            EXPECT_EQ(f.get_mem_x(k), before.get_mem_x(k));
            EXPECT_EQ(f.get_mem_y(k), before.get_mem_y(k));
        }
        EXPECT_EQ(f.get_mem_pos(), 1);
        EXPECT_EQ(env._env, 0.75f);
    }
}

// The block forms and the control-rate coefficient update run on the audio
// thread: none of them may reach the allocator.
TEST_P(BiquadVariants, BlockFormAllocatesNothing)
{
    const Variant v = GetParam();
    const std::vector<float> in = noise(130, 19, 1.0f);
    std::vector<float> out(130, 0.0f);
    dsp::Filter2p f = make_lowpass();
    EnvFollowerBase env{0, 0.5f, 0.01f};
    const long before = test_support::get_nbr_allocations();
    call(v, f, out.data(), in.data(), 1, env);
    call(v, f, out.data() + 1, in.data() + 1, 64, env);
    call_in_place(v, f, out.data() + 65, 65, env);
    f._freq = 2000;
    f.update_eq();
    const long after = test_support::get_nbr_allocations();
    EXPECT_EQ(after, before);
}

std::string variant_name(const ::testing::TestParamInfo<Variant>& param)
{
    const char* const names[] = {"Copy", "Mix", "Nd", "Clip", "Limit"};
    return names[int(param.param)];
}

INSTANTIATE_TEST_SUITE_P(AllVariants, BiquadVariants,
                         ::testing::Values(Variant::COPY, Variant::MIX, Variant::ND, Variant::CLIP,
                                           Variant::LIMIT),
                         variant_name);

TEST(Biquad, GuardedFormIsSplitInvariantWhenPairingIsKept)
{
    const std::vector<float> in = noise(128, 13, 1e-19f);
    dsp::Filter2p one = make_lowpass();
    dsp::Filter2p split = one;
    std::vector<float> a(128), b(128);
    one.process_block_nd(a.data(), in.data(), 128);
    split.process_block_nd(b.data(), in.data(), 2);
    split.process_block_nd(b.data() + 2, in.data() + 2, 62);
    split.process_block_nd(b.data() + 64, in.data() + 64, 64);
    EXPECT_EQ(std::memcmp(a.data(), b.data(), sizeof(float) * 128), 0);
}

// Two guarded sections run as a pair, with their toggles equal or not, over
// blocks of every parity: the bits, memories and toggles of the two run one
// after the other. The signals sit near 1e-20 so that the guard shows.
TEST(Biquad, GuardedPairEqualsTwoSections)
{
    const std::vector<float> in[2] = {noise(200, 21, 1e-19f), noise(200, 22, 1e-19f)};
    for (const long lead : {0L, 1L}) {
        dsp::Filter2p pair[2] = {make_lowpass(), make_lowpass()};
        pair[1]._b[0] *= 0.5f;
        dsp::Filter2p alone[2] = {pair[0], pair[1]};
        std::vector<float> got[2] = {std::vector<float>(200), std::vector<float>(200)};
        std::vector<float> want[2] = {got[0], got[1]};
        // A lead of one sample on the first section makes the toggles differ.
        pair[0].process_block_nd(got[0].data(), in[0].data(), lead);
        alone[0].process_block_nd(want[0].data(), in[0].data(), lead);
        long pos = lead;
        for (const long n : {1L, 2L, 7L, 64L, 3L, 0L, 50L}) {
            Biquad::process_block_nd_2(pair[0], got[0].data() + pos, in[0].data() + pos, pair[1],
                                       got[1].data() + pos, in[1].data() + pos, n);
            for (int k = 0; k < 2; ++k) {
                alone[k].process_block_nd(want[k].data() + pos, in[k].data() + pos, n);
            }
            pos += n;
        }
        for (int k = 0; k < 2; ++k) {
            EXPECT_EQ(std::memcmp(got[k].data(), want[k].data(), sizeof(float) * 200), 0);
            const Biquad::State a = pair[k].get_state();
            const Biquad::State b = alone[k].get_state();
            EXPECT_TRUE(same_bits(a.x1, b.x1) && same_bits(a.x2, b.x2) && same_bits(a.y1, b.y1) &&
                        same_bits(a.y2, b.y2) && a.pos == b.pos)
                << "lead " << lead << " section " << k;
        }
    }
}

TEST(Biquad, NewSectionCopiesInput)
{
    Biquad f;
    const std::vector<float> in = noise(33, 17, 1.0f);
    std::vector<float> out(33);
    f.process_block(out.data(), in.data(), 33);
    EXPECT_EQ(std::memcmp(out.data(), in.data(), 33 * sizeof(float)), 0);
}

TEST(Biquad, GuardLandsOnFirstSampleOfAPairOnly)
{
    dsp::Filter2p f = make_lowpass();
    const float zeros[4] = {0, 0, 0, 0};
    float out[4] = {1, 1, 1, 1};
    f.process_block_nd(out, zeros, 4);
    EXPECT_EQ(out[0], 1e-20f);

    f.clear_buffers();
    f.process_block(out, zeros, 1); // toggle 1, memory still zero
    f.process_block_nd(out, zeros, 3);
    EXPECT_EQ(out[0], 0.0f); // single leading step: no guard
    EXPECT_EQ(out[1], 1e-20f);
}

TEST(Biquad, ClipAtLevelGivesFiveSixths)
{
    Biquad f;
    const float in = 0.8f;
    float out = 0;
    f.process_block_clip(&out, &in, 1, 0.8f);
    EXPECT_FLOAT_EQ(out, 0.8f * (1.0f - 1.0f / 6.0f));
}

// Beyond sqrt(2) c the cubic turns over; fed back unclamped it grows without
// bound within a few samples. Clamped, |y'| stays at or below the peak of the
// cubic, 2 sqrt(2) / 3 c.
TEST(Biquad, ClipStaysBoundedUnderStrongFeedback)
{
    Biquad f;
    f._a[1] = -1.9f;
    f._a[2] = 0.95f;
    std::vector<float> buf(2000, 0.0f);
    buf[0] = 10.0f;
    f.process_block_clip(buf.data(), 2000, 1.0f);
    const float peak = 2.0f * std::sqrt(2.0f) / 3.0f;
    for (float y : buf) {
        ASSERT_TRUE(std::isfinite(y));
        ASSERT_LE(std::fabs(y), peak * 1.000001f);
    }
}

TEST(Biquad, LimitDividesByEnvelopeAboveOne)
{
    Biquad f;
    EnvFollowerBase env{0, 1, 1};
    const float in = 4;
    float out = 0;
    f.process_block_limit(&out, &in, 1, env, 1);
    EXPECT_EQ(env._env, 4.0f);
    EXPECT_EQ(out, 1.0f);
    EXPECT_EQ(f.get_mem_y(1), 1.0f); // the limited value is fed back
}

// b = (1, -1, -1) turns an input v into an output memory sample of exactly v,
// negative zero included (every other term is -0).
TEST(Biquad, DenormalCheckAndKill)
{
    struct Case
    {
        float val;
        bool normal;
    };
    for (const Case c : {Case{-0.0f, false}, Case{1e-40f, false}, Case{-1e-40f, false},
                         Case{0.0f, true}, Case{1e-30f, true}, Case{-3.0f, true}}) {
        Biquad f;
        f._b[1] = -1;
        f._b[2] = -1;
        float out = 0;
        f.process_block(&out, &c.val, 1);
        ASSERT_TRUE(same_bits(f.get_mem_y(1), c.val));
        EXPECT_EQ(f.check_denormal(), c.normal) << c.val;
        f.kill_denormal();
        EXPECT_TRUE(same_bits(f.get_mem_y(1), c.normal ? c.val : 0.0f)) << c.val;
        EXPECT_TRUE(f.check_denormal());
    }
}

TEST(Biquad, MemoryOperations)
{
    Biquad f;
    const float in[2] = {3, -5};
    float out[2];
    f.process_block(out, in, 2);
    f.clip_memory(2);
    EXPECT_EQ(f.get_mem_y(0), -2.0f);
    EXPECT_EQ(f.get_mem_y(1), 2.0f);

    f.set_mem_dc(0.5f);
    EXPECT_EQ(f.get_mem_x(0), 0.5f);
    EXPECT_EQ(f.get_mem_x(1), 0.5f);
    EXPECT_EQ(f.get_mem_y(0), -2.0f);

    f._b[0] = 0.25f;
    f.clear_buffers();
    for (int k = 0; k < 2; ++k) {
        EXPECT_EQ(f.get_mem_x(k), 0.0f);
        EXPECT_EQ(f.get_mem_y(k), 0.0f);
    }
    EXPECT_EQ(f.get_mem_pos(), 0);
    EXPECT_EQ(f._b[0], 0.25f);
}

} // namespace
