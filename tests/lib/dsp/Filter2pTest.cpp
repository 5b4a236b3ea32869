#include "lib/dsp/Filter2p.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <numbers>
#include <string>

namespace {

using dsp::Filter2p;

// Relative float tolerance of about two units in the last place, with an
// absolute floor for coefficients that are zero in exact arithmetic.
void expect_coef(float actual, float expected)
{
    EXPECT_NEAR(actual, expected, 2.5e-7 * std::fabs(expected) + 1e-9);
}

Filter2p make(int type, float freq, float fs, float gain, float q)
{
    Filter2p f;
    f._type = type;
    f._freq = freq;
    f._sample_freq = fs;
    f._gain = gain;
    f._q = q;
    f.update_eq();
    return f;
}

// |H(e^jw)| of the section at frequency freq.
double magnitude(const Filter2p& f, double freq)
{
    const std::complex<double> z1 = std::polar(1.0, -2 * std::numbers::pi * freq / f._sample_freq);
    const std::complex<double> num =
        double(f._b[0]) + double(f._b[1]) * z1 + double(f._b[2]) * z1 * z1;
    const std::complex<double> den = 1.0 + double(f._a[1]) * z1 + double(f._a[2]) * z1 * z1;
    return std::abs(num / den);
}

struct CoefCase
{
    int type;
    float freq, fs, gain, q;
    float expected[5]; // b0, b1, b2, a1, a2
};

// Derived with a short python3 script from the textbook bilinear designs,
// K = tan(pi f / fs) and D = 1 + K/Q + K^2 (Q = gain for types 0 and 1, q for
// 2 and 3): low-pass K^2 (1, 2, 1) / D, high-pass (1, -2, 1) / D, resonator
// (1 + G K + K^2, 2 (K^2 - 1), 1 - G K + K^2) / D and band-pass
// G K (1, 0, -1) / D with G = gain / q; a1 = 2 (K^2 - 1) / D,
// a2 = (1 - K/Q + K^2) / D. 1/Q and G were rounded to float first, as the
// prototype stores them; results rounded to float.
const CoefCase coef_cases[] = {
    {0,
     1000,
     44100,
     1,
     1,
     {0.00473041739f, 0.00946083479f, 0.00473041739f, -1.84849691f, 0.867418587f}},
    {0,
     5000,
     48000,
     4,
     1,
     {0.0960169062f, 0.192033812f, 0.0960169062f, -1.47450399f, 0.858571649f}},
    {1,
     200,
     44100,
     0.7071f,
     1,
     {0.980052292f, -1.96010458f, 0.980052292f, -1.95970666f, 0.960502565f}},
    {1, 8000, 96000, 2, 1, {0.82934463f, -1.65868926f, 0.82934463f, -1.53960073f, 0.777777791f}},
    {2, 1000, 44100, 1, 1, {1.0f, -1.84849691f, 0.867418587f, -1.84849691f, 0.867418587f}},
    {2, 3000, 44100, 4, 2, {1.28170455f, -1.64916289f, 0.530492425f, -1.64916289f, 0.81219697f}},
    {3, 1000, 44100, 1, 1, {0.0662907064f, 0.0f, -0.0662907064f, -1.84849691f, 0.867418587f}},
    {3, 4400, 48000, 1, 5, {0.0516507998f, 0.0f, -0.0516507998f, -1.59070516f, 0.896698415f}},
    {3, 1320, 22050, 2.5f, 3, {0.144224346f, 0.0f, -0.144224346f, -1.75286829f, 0.884620488f}},
};

TEST(Filter2p, CoefficientsAreThePrewarpedBilinearTransform)
{
    for (const CoefCase& c : coef_cases) {
        SCOPED_TRACE(std::string(Filter2p::TYPE_NAME_0[c.type]) + " at " + std::to_string(c.freq));
        const Filter2p f = make(c.type, c.freq, c.fs, c.gain, c.q);
        expect_coef(f._b[0], c.expected[0]);
        expect_coef(f._b[1], c.expected[1]);
        expect_coef(f._b[2], c.expected[2]);
        EXPECT_EQ(f._a[0], 1.0f);
        expect_coef(f._a[1], c.expected[3]);
        expect_coef(f._a[2], c.expected[4]);
    }
}

// At f = fs/4, K = 1: low-pass with Q = 1 gives (1, 2, 1) / 3 and a = (0, 1/3).
TEST(Filter2p, QuarterRateLowPass)
{
    const Filter2p f = make(Filter2p::TYPE_LOWPASS, 11025, 44100, 1, 1);
    expect_coef(f._b[0], 1.0f / 3);
    expect_coef(f._b[1], 2.0f / 3);
    expect_coef(f._b[2], 1.0f / 3);
    expect_coef(f._a[1], 0.0f);
    expect_coef(f._a[2], 1.0f / 3);
}

TEST(Filter2p, ResponseAtCentreAndEdges)
{
    const Filter2p bp = make(Filter2p::TYPE_BANDPASS, 2000, 44100, 1, 1);
    EXPECT_EQ(bp._b[0] + bp._b[1] + bp._b[2], 0.0f);
    EXPECT_NEAR(magnitude(bp, 2000), 1.0, 1e-5);
    const Filter2p res = make(Filter2p::TYPE_RESONATOR, 1500, 48000, 3, 2);
    EXPECT_NEAR(magnitude(res, 1500), 3.0, 1e-4);
    EXPECT_NEAR(magnitude(res, 0), 1.0, 1e-5);
    const Filter2p lp = make(Filter2p::TYPE_LOWPASS, 1000, 44100, 5, 1);
    EXPECT_NEAR(magnitude(lp, 1000), 5.0, 1e-3);
    EXPECT_NEAR(magnitude(lp, 0), 1.0, 1e-5);
    const Filter2p hp = make(Filter2p::TYPE_HIGHPASS, 1000, 44100, 2, 1);
    EXPECT_NEAR(magnitude(hp, 1000), 2.0, 1e-4);
    EXPECT_NEAR(magnitude(hp, 22050), 1.0, 1e-5);
}

TEST(Filter2p, NewFilterIsFlat)
{
    const Filter2p f;
    EXPECT_EQ(f._type, Filter2p::TYPE_RESONATOR);
    for (double freq : {0.0, 100.0, 1000.0, 10000.0, 22000.0}) {
        EXPECT_NEAR(magnitude(f, freq), 1.0, 1e-6) << freq;
    }
}

TEST(Filter2p, UnknownTypeKeepsNumeratorAndA1)
{
    Filter2p f = make(Filter2p::TYPE_BANDPASS, 1000, 44100, 2, 4);
    f._den_s[0] = 7;
    f._den_s[2] = 9;
    f._type = 7;
    f.update_eq();
    EXPECT_EQ(f._num_s[0], 0.0f);
    EXPECT_EQ(f._num_s[1], 0.5f);
    EXPECT_EQ(f._num_s[2], 0.0f);
    EXPECT_EQ(f._den_s[0], 1.0f);
    EXPECT_EQ(f._den_s[1], 0.25f);
    EXPECT_EQ(f._den_s[2], 1.0f);
}

// A twin that took the settings filters like the original from its own memory.
TEST(Filter2p, CopySettingsKeepsMemory)
{
    const Filter2p src = make(Filter2p::TYPE_BANDPASS, 3000, 48000, 2, 5);
    Filter2p twin;
    float warm = 1;
    twin.process_block(&warm, 1);
    twin.copy_settings(src);
    EXPECT_EQ(twin.get_mem_x(1), 1.0f);
    EXPECT_EQ(twin.get_mem_pos(), 1);
    Filter2p fresh = src;
    twin.clear_buffers();
    fresh.clear_buffers();
    float a[5] = {1, -2, 3, 0.5f, 0}, b[5] = {1, -2, 3, 0.5f, 0};
    twin.process_block(a, 5);
    fresh.process_block(b, 5);
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(a[i], b[i]);
    }
    EXPECT_EQ(twin._type, src._type);
    EXPECT_EQ(twin._q, src._q);
    EXPECT_EQ(twin._gain, src._gain);
    EXPECT_EQ(twin._freq, src._freq);
    EXPECT_EQ(twin._sample_freq, src._sample_freq);
}

TEST(Filter2p, TypeNames)
{
    EXPECT_STREQ(Filter2p::TYPE_NAME_0[0], "Low-pass");
    EXPECT_STREQ(Filter2p::TYPE_NAME_0[1], "High-pass");
    EXPECT_STREQ(Filter2p::TYPE_NAME_0[2], "Resonator");
    EXPECT_STREQ(Filter2p::TYPE_NAME_0[3], "Band-pass");
}

TEST(BiquadS, ConstructionKeepsIdentity)
{
    const dsp::BiquadS f;
    EXPECT_EQ(f._b[0], 1.0f);
    EXPECT_EQ(f._b[1], 0.0f);
    EXPECT_EQ(f._a[1], 0.0f);
    EXPECT_EQ(f._num_s[1], 2.0f);
    EXPECT_EQ(f._freq, 1000.0f);
    EXPECT_EQ(f._sample_freq, 44100.0f);
}

TEST(BiquadS, FastTransformAgreesBelowQuarterRateOnly)
{
    Filter2p exact = make(Filter2p::TYPE_LOWPASS, 400, 44100, 2, 1);
    Filter2p fast = exact;
    fast.transform_s_to_z_fast();
    for (int k = 0; k < 3; ++k) {
        EXPECT_NEAR(fast._b[k], exact._b[k], 1e-3 * std::fabs(exact._b[k]) + 1e-9);
    }
    EXPECT_NEAR(fast._a[1], exact._a[1], 1e-4);

    exact._freq = 18000;
    exact.update_eq();
    fast = exact;
    fast.transform_s_to_z_fast();
    EXPECT_GT(std::fabs(fast._b[0] - exact._b[0]), 0.05 * std::fabs(exact._b[0]));
}

TEST(BiquadS, FrequencyWarp)
{
    Filter2p f = make(Filter2p::TYPE_LOWPASS, 1000, 44100, 1, 1);
    EXPECT_FLOAT_EQ(f.wrap_freq_blt(1000), 1.0f);
    EXPECT_FLOAT_EQ(f.wrap_freq_blt_fast(1000), 1.0f);
    const double expected =
        std::tan(std::numbers::pi * 5000 / 44100) / std::tan(std::numbers::pi * 1000 / 44100);
    EXPECT_NEAR(f.wrap_freq_blt(5000), expected, 1e-5 * expected);
    EXPECT_NEAR(f.wrap_freq_blt_fast(200), 0.2, 1e-3);
}

} // namespace
