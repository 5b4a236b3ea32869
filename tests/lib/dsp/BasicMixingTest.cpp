#include "lib/dsp/BasicMixing.h"
#include "support/AllocFailure.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

namespace {

using dsp::BasicMixing;
using dsp::StereoLevel;

constexpr long max_spl = 65;
constexpr std::size_t buf_len = 2 * max_spl + 8; // interleaved layouts plus a margin

// Two outputs and two inputs, each long enough for any layout. Outputs start
// with random data so that mixing and untouched margins show.
struct Bufs
{
    std::vector<float> o1, o2, x1, x2;

    explicit Bufs(unsigned seed)
    {
        std::mt19937 gen(seed);
        std::uniform_real_distribution<float> dist(-1, 1);
        for (auto* v : {&o1, &o2, &x1, &x2}) {
            v->resize(buf_len);
            for (float& s : *v) {
                s = dist(gen);
            }
        }
    }

    bool operator==(const Bufs& o) const
    {
        auto same = [](const std::vector<float>& a, const std::vector<float>& b) {
            return std::memcmp(a.data(), b.data(), buf_len * sizeof(float)) == 0;
        };
        return same(o1, o.o1) && same(o2, o.o2) && same(x1, o.x1) && same(x2, o.x2);
    }
};

using G4 = std::array<float, 4>;
using Call = void (*)(Bufs&, long, const G4& beg, const G4& end);
using Frame = void (*)(Bufs&, long i, const G4& g);

enum GainVariant
{
    NONE,
    V,
    VLR,
    VLRAUTO
};

// A routine family: up to four gain variants (null where absent), the number
// of independent gains, and the reference effect of one frame.
struct Family
{
    const char* name;
    int nbr_gains;
    Call calls[4];
    Frame frame;
};

// Naive reference: gains per frame, then the frame rule. One gain ramps by
// (end - beg) / n; several gains each by (end - beg) * (1 / n).
void reference(const Family& f, GainVariant var, Bufs& b, long n, const G4& beg, const G4& end)
{
    bool ramp = var == VLR;
    if (var == VLRAUTO) {
        for (int k = 0; k < f.nbr_gains; ++k) {
            ramp = ramp || !(beg[k] == end[k]);
        }
    }
    G4 g = var == NONE ? G4{1, 1, 1, 1} : beg;
    G4 step{};
    for (int k = 0; ramp && k < f.nbr_gains; ++k) {
        step[k] =
            f.nbr_gains == 1 ? (end[k] - beg[k]) / float(n) : (end[k] - beg[k]) * (1.0f / float(n));
    }
    for (long i = 0; i < n; ++i) {
        f.frame(b, i, g);
        for (int k = 0; k < 4; ++k) {
            g[k] = g[k] + step[k];
        }
    }
}

#define ONE(expr) [](Bufs& b, long n, const G4& g0, const G4& g1) { (void)g0, (void)g1, expr; }
#define CALLS4(fn, ...)                                                                            \
    {                                                                                              \
        ONE(BasicMixing::fn(__VA_ARGS__, n)), ONE(BasicMixing::fn##_v(__VA_ARGS__, n, g0[0])),     \
            ONE(BasicMixing::fn##_vlr(__VA_ARGS__, n, g0[0], g1[0])),                              \
            ONE(BasicMixing::fn##_vlrauto(__VA_ARGS__, n, g0[0], g1[0]))                           \
    }
#define CALLS3(fn, ...)                                                                            \
    {                                                                                              \
        nullptr, ONE(BasicMixing::fn##_v(__VA_ARGS__, n, g0[0])),                                  \
            ONE(BasicMixing::fn##_vlr(__VA_ARGS__, n, g0[0], g1[0])),                              \
            ONE(BasicMixing::fn##_vlrauto(__VA_ARGS__, n, g0[0], g1[0]))                           \
    }
#define FRAME(body)                                                                                \
    [](Bufs& b, long i, const G4& g) {                                                             \
        (void)g;                                                                                   \
        body;                                                                                      \
    }
#define O1 b.o1.data()
#define O2 b.o2.data()
#define X1 b.x1.data()
#define X2 b.x2.data()

StereoLevel lvl(const G4& g)
{
    return StereoLevel{g[0], g[1], g[2], g[3]};
}

const Family families[] = {
    {"copy_1_1", 1, CALLS4(copy_1_1, O1, X1), FRAME(b.o1[i] = g[0] * b.x1[i])},
    {"copy_1_2", 1, CALLS4(copy_1_2, O1, O2, X1), FRAME(b.o1[i] = b.o2[i] = g[0] * b.x1[i])},
    {"copy_2_1", 1, CALLS4(copy_2_1, O1, X1, X2), FRAME(b.o1[i] = g[0] * (b.x1[i] + b.x2[i]))},
    {"copy_2_2", 1, CALLS4(copy_2_2, O1, O2, X1, X2),
     FRAME((b.o1[i] = g[0] * b.x1[i], b.o2[i] = g[0] * b.x2[i]))},
    {"copy_1_2i", 1, CALLS4(copy_1_2i, O1, X1),
     FRAME(b.o1[2 * i] = b.o1[2 * i + 1] = g[0] * b.x1[i])},
    {"copy_2_2i", 1, CALLS4(copy_2_2i, O1, X1, X2),
     FRAME((b.o1[2 * i] = g[0] * b.x1[i], b.o1[2 * i + 1] = g[0] * b.x2[i]))},
    {"copy_2i_1", 1, CALLS4(copy_2i_1, O1, X1),
     FRAME(b.o1[i] = g[0] * (b.x1[2 * i] + b.x1[2 * i + 1]))},
    {"copy_2i_2", 1, CALLS4(copy_2i_2, O1, O2, X1),
     FRAME((b.o1[i] = g[0] * b.x1[2 * i], b.o2[i] = g[0] * b.x1[2 * i + 1]))},
    {"mix_1_1", 1, CALLS4(mix_1_1, O1, X1), FRAME(b.o1[i] += g[0] * b.x1[i])},
    {"mix_1_2", 1, CALLS4(mix_1_2, O1, O2, X1),
     FRAME((b.o1[i] += g[0] * b.x1[i], b.o2[i] += g[0] * b.x1[i]))},
    {"mix_2_1", 1, CALLS4(mix_2_1, O1, X1, X2), FRAME(b.o1[i] += g[0] * (b.x1[i] + b.x2[i]))},
    {"mix_2_2", 1, CALLS4(mix_2_2, O1, O2, X1, X2),
     FRAME((b.o1[i] += g[0] * b.x1[i], b.o2[i] += g[0] * b.x2[i]))},
    {"mix_1_2i", 1, CALLS4(mix_1_2i, O1, X1),
     FRAME((b.o1[2 * i] += g[0] * b.x1[i], b.o1[2 * i + 1] += g[0] * b.x1[i]))},
    {"mix_2_2i", 1, CALLS4(mix_2_2i, O1, X1, X2),
     FRAME((b.o1[2 * i] += g[0] * b.x1[i], b.o1[2 * i + 1] += g[0] * b.x2[i]))},
    {"mix_2i_1", 1, CALLS4(mix_2i_1, O1, X1),
     FRAME(b.o1[i] += g[0] * (b.x1[2 * i] + b.x1[2 * i + 1]))},
    {"mix_2i_2", 1, CALLS4(mix_2i_2, O1, O2, X1),
     FRAME((b.o1[i] += g[0] * b.x1[2 * i], b.o2[i] += g[0] * b.x1[2 * i + 1]))},
    {"scale_1", 1, CALLS3(scale_1, O1), FRAME(b.o1[i] = g[0] * b.o1[i])},
    {"scale_2", 1, CALLS3(scale_2, O1, O2),
     FRAME((b.o1[i] = g[0] * b.o1[i], b.o2[i] = g[0] * b.o2[i]))},
    {"copy_xfade_2_1", 1, CALLS3(copy_xfade_2_1, O1, X1, X2),
     FRAME(b.o1[i] = b.x1[i] + (b.x2[i] - b.x1[i]) * g[0])},
    {"fill",
     1,
     {nullptr, ONE(BasicMixing::fill(O1, n, g0[0])), ONE(BasicMixing::fill_lr(O1, n, g0[0], g1[0])),
      ONE(BasicMixing::fill_lrauto(O1, n, g0[0], g1[0]))},
     FRAME(b.o1[i] = g[0])},
    {"copy_spread_1_2",
     2,
     {nullptr, ONE(BasicMixing::copy_spread_1_2_v(O1, O2, X1, n, g0[0], g0[1])),
      ONE(BasicMixing::copy_spread_1_2_vlr(O1, O2, X1, n, g0[0], g0[1], g1[0], g1[1])),
      ONE(BasicMixing::copy_spread_1_2_vlrauto(O1, O2, X1, n, g0[0], g0[1], g1[0], g1[1]))},
     FRAME((b.o1[i] = g[0] * b.x1[i], b.o2[i] = g[1] * b.x1[i]))},
    {"mix_spread_1_2",
     2,
     {nullptr, ONE(BasicMixing::mix_spread_1_2_v(O1, O2, X1, n, g0[0], g0[1])),
      ONE(BasicMixing::mix_spread_1_2_vlr(O1, O2, X1, n, g0[0], g0[1], g1[0], g1[1])),
      ONE(BasicMixing::mix_spread_1_2_vlrauto(O1, O2, X1, n, g0[0], g0[1], g1[0], g1[1]))},
     FRAME((b.o1[i] += g[0] * b.x1[i], b.o2[i] += g[1] * b.x1[i]))},
    {"copy_mat_2_2",
     4,
     {nullptr, ONE(BasicMixing::copy_mat_2_2_v(O1, O2, X1, X2, n, lvl(g0))),
      ONE(BasicMixing::copy_mat_2_2_vlr(O1, O2, X1, X2, n, lvl(g0), lvl(g1))),
      ONE(BasicMixing::copy_mat_2_2_vlrauto(O1, O2, X1, X2, n, lvl(g0), lvl(g1)))},
     FRAME((b.o1[i] = b.x1[i] * g[0] + b.x2[i] * g[2], b.o2[i] = b.x1[i] * g[1] + b.x2[i] * g[3]))},
    {"mix_mat_2_2",
     4,
     {nullptr, ONE(BasicMixing::mix_mat_2_2_v(O1, O2, X1, X2, n, lvl(g0))),
      ONE(BasicMixing::mix_mat_2_2_vlr(O1, O2, X1, X2, n, lvl(g0), lvl(g1))),
      ONE(BasicMixing::mix_mat_2_2_vlrauto(O1, O2, X1, X2, n, lvl(g0), lvl(g1)))},
     FRAME(
         (b.o1[i] += b.x1[i] * g[0] + b.x2[i] * g[2], b.o2[i] += b.x1[i] * g[1] + b.x2[i] * g[3]))},
    {"mult_ip_1_1", 1, {ONE(BasicMixing::mult_ip_1_1(O1, X1, n))}, FRAME(b.o1[i] *= b.x1[i])},
    {"mult_ip_1_2",
     1,
     {ONE(BasicMixing::mult_ip_1_2(O1, O2, X1, n))},
     FRAME((b.o1[i] *= b.x1[i], b.o2[i] *= b.x1[i]))},
    {"mult_ip_2_2",
     1,
     {ONE(BasicMixing::mult_ip_2_2(O1, O2, X1, X2, n))},
     FRAME((b.o1[i] *= b.x1[i], b.o2[i] *= b.x2[i]))},
    {"add_cst_1_1",
     1,
     {nullptr, ONE(BasicMixing::add_cst_1_1(O1, n, g0[0]))},
     FRAME(b.o1[i] += g[0])},
    {"add_cst_1_2",
     1,
     {nullptr, ONE(BasicMixing::add_cst_1_2(O1, O2, n, g0[0]))},
     FRAME((b.o1[i] += g[0], b.o2[i] += g[0]))},
    {"add_sub_ip_2_2", 1, {ONE(BasicMixing::add_sub_ip_2_2(O1, O2, n))}, FRAME({
         const float s = b.o1[i] + b.o2[i];
         b.o2[i] = b.o1[i] - b.o2[i];
         b.o1[i] = s;
     })},
    {"clear", 1, {ONE(BasicMixing::clear(O1, n))}, FRAME(b.o1[i] = 0)},
};

const char* const variant_suffix[] = {"", "_v", "_vlr", "_vlrauto"};

TEST(BasicMixing, EveryRoutineMatchesNaiveLoop)
{
    // Chosen so that (end - beg) / 3 and (end - beg) * (1 / 3.0f) differ in
    // the last bit for gains 0 and 2: the two step rules are told apart.
    const G4 beg{0.15f, -0.7f, 1.25f, 0.1f};
    const G4 end{1.05f, 0.4f, -0.5f, 0.9f};
    unsigned seed = 1;
    for (const Family& f : families) {
        for (int var = NONE; var <= VLRAUTO; ++var) {
            if (f.calls[var] == nullptr) {
                continue;
            }
            // _vlrauto is tried with equal ends (fixed gain) and with a ramp.
            for (const G4* e : {&end, &beg}) {
                for (long n : {1L, 3L, 64L, 65L}) {
                    SCOPED_TRACE(std::string(f.name) + variant_suffix[var] +
                                 " n=" + std::to_string(n));
                    Bufs actual(++seed);
                    Bufs expected = actual;
                    f.calls[var](actual, n, beg, *e);
                    reference(f, GainVariant(var), expected, n, beg, *e);
                    EXPECT_TRUE(actual == expected);
                }
            }
        }
    }
}

TEST(BasicMixing, NonPositiveCountWritesNothing)
{
    const G4 beg{0.3f, -0.7f, 1.25f, 0.1f};
    const G4 end{1.7f, 0.4f, -0.5f, 0.9f};
    for (const Family& f : families) {
        for (const Call call : f.calls) {
            for (long n : {0L, -1L, -65L}) {
                if (call != nullptr) {
                    Bufs actual(3);
                    const Bufs before = actual;
                    call(actual, n, beg, end);
                    EXPECT_TRUE(actual == before) << f.name << " n=" << n;
                }
            }
        }
    }
}

TEST(BasicMixing, NoRoutineAllocates)
{
    const G4 beg{0.3f, -0.7f, 1.25f, 0.1f};
    const G4 end{1.7f, 0.4f, -0.5f, 0.9f};
    Bufs b(5);
    const long before = test_support::get_nbr_allocations();
    for (const Family& f : families) {
        for (const Call call : f.calls) {
            if (call != nullptr) {
                call(b, 64, beg, end);
            }
        }
    }
    const long after = test_support::get_nbr_allocations();
    EXPECT_EQ(after, before);
}

// Each frame's inputs are read before its outputs are written, so an output
// may be the input of the same layout and index. Expected values come from
// the same routine run on separate output buffers.
TEST(BasicMixing, OutputMayBeTheInputOfTheSameIndex)
{
    using InPlace = void (*)(float* o1, float* o2, const float* x1, const float* x2, long n);
    struct Case
    {
        const char* name;
        bool mix;
        InPlace call;
    };
    const Case cases[] = {
        {"mix_2_2_vlr", true,
         [](float* o1, float* o2, const float* x1, const float* x2, long n) {
             BasicMixing::mix_2_2_vlr(o1, o2, x1, x2, n, 0.2f, 1.1f);
         }},
        {"copy_2_2_v", false,
         [](float* o1, float* o2, const float* x1, const float* x2, long n) {
             BasicMixing::copy_2_2_v(o1, o2, x1, x2, n, -0.6f);
         }},
        {"copy_xfade_2_1_vlr", false,
         [](float* o1, float*, const float* x1, const float* x2, long n) {
             BasicMixing::copy_xfade_2_1_vlr(o1, x1, x2, n, 0.1f, 0.9f);
         }},
        {"mix_mat_2_2_vlr", true,
         [](float* o1, float* o2, const float* x1, const float* x2, long n) {
             BasicMixing::mix_mat_2_2_vlr(o1, o2, x1, x2, n, StereoLevel{1, 0.5f, -0.25f, 2},
                                          StereoLevel{0, 1, 1, 0});
         }},
        {"mult_ip_2_2", true,
         [](float* o1, float* o2, const float* x1, const float* x2, long n) {
             BasicMixing::mult_ip_2_2(o1, o2, x1, x2, n);
         }},
    };
    for (const Case& c : cases) {
        Bufs sep(21);
        // Separate outputs: they start as copies of the inputs where the
        // routine reads its outputs (mix, multiply), so both runs see the
        // same operands.
        if (c.mix) {
            sep.o1 = sep.x1;
            sep.o2 = sep.x2;
        }
        std::vector<float> l = sep.x1;
        std::vector<float> r = sep.x2;
        c.call(sep.o1.data(), sep.o2.data(), sep.x1.data(), sep.x2.data(), max_spl);
        c.call(l.data(), r.data(), l.data(), r.data(), max_spl);
        EXPECT_EQ(std::memcmp(l.data(), sep.o1.data(), max_spl * sizeof(float)), 0) << c.name;
        if (std::string(c.name) != "copy_xfade_2_1_vlr") {
            EXPECT_EQ(std::memcmp(r.data(), sep.o2.data(), max_spl * sizeof(float)), 0) << c.name;
        }
    }
}

// A NaN end never equals the start: the auto routine ramps, so frame 0 keeps
// vol_beg and the frames after it take the NaN step.
TEST(BasicMixing, AutoVariantTreatsNanAsUnequal)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float ones[3] = {1, 1, 1};
    float out[3];
    BasicMixing::copy_1_1_vlrauto(out, ones, 3, 0.5f, nan);
    EXPECT_EQ(out[0], 0.5f);
    EXPECT_TRUE(std::isnan(out[1]));
    EXPECT_TRUE(std::isnan(out[2]));

    float o1[2];
    float o2[2];
    BasicMixing::copy_spread_1_2_vlrauto(o1, o2, ones, 2, 0.5f, 0.25f, 0.5f, nan);
    EXPECT_EQ(o1[1], 0.5f);
    EXPECT_TRUE(std::isnan(o2[1]));
}

TEST(BasicMixing, RampEndsOneStepShortOfItsEnd)
{
    const float ones[4] = {1, 1, 1, 1};
    float out[4];
    BasicMixing::copy_1_1_vlr(out, ones, 4, 0, 1);
    EXPECT_EQ(out[0], 0.0f);
    EXPECT_EQ(out[1], 0.25f);
    EXPECT_EQ(out[2], 0.5f);
    EXPECT_EQ(out[3], 0.75f);
}

TEST(BasicMixing, InPlaceMatrixSwapsChannels)
{
    float l[3] = {1, 2, 3};
    float r[3] = {-4, -5, -6};
    BasicMixing::copy_mat_2_2_v(l, r, l, r, 3, StereoLevel{0, 1, 1, 0});
    EXPECT_EQ(l[0], -4.0f);
    EXPECT_EQ(l[2], -6.0f);
    EXPECT_EQ(r[0], 1.0f);
    EXPECT_EQ(r[2], 3.0f);
}

} // namespace
