#include "plugin/dsp/DistoExact.h"

#include "support/VectorBuilds.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <vector>

namespace {

// The definition, written out here: (float) ((2/pi) atan((x gain) pi/2)).
std::uint32_t curve_bits(float x, float gain)
{
    const double t = double(x) * double(gain) * 1.5707963267948966;
    return std::bit_cast<std::uint32_t>(float(0.6366197723675814 * std::atan(t)));
}

// Floats of every binade, both signs, and the special values.
std::vector<float> test_inputs()
{
    const float inf = std::numeric_limits<float>::infinity();
    std::vector<float> v = {0.0f,
                            -0.0f,
                            1e-45f,
                            -1e-45f,
                            1e-39f,
                            1.0f,
                            -1.0f,
                            0.43f,
                            inf,
                            -inf,
                            std::nanf(""),
                            std::numeric_limits<float>::max(),
                            -std::numeric_limits<float>::max()};
    std::mt19937 gen(31);
    std::uniform_int_distribution<std::uint32_t> any_bits;
    std::uniform_real_distribution<float> near_one(-4, 4);
    for (int k = 0; k < 40000; ++k) {
        v.push_back(std::bit_cast<float>(any_bits(gen)));
        v.push_back(near_one(gen));
    }
    return v;
}

// Every block form, on every build of the kernel, at several gains and block
// lengths (the tail shorter than a vector included), in place or not: the
// bits of the definition, sample by sample.
TEST(DistoExact, BlocksGiveTheBitsOfTheDefinition)
{
    const std::vector<float> in = test_inputs();
    for (const dsp::VectorIsa isa : test_support::runnable_isas()) {
        const test_support::IsaLimit limit(isa);
        for (const float gain : {1.0f, 2.0f, 3.7f, 10.0f}) {
            for (const bool mix : {false, true}) {
                for (const long block : {1L, 3L, 13L, 64L}) {
                    std::vector<float> out(in.size(), 0.25f);
                    std::vector<float> in_place = in;
                    for (std::size_t pos = 0; pos < in.size(); pos += std::size_t(block)) {
                        const long n = std::min(block, long(in.size() - pos));
                        if (mix) {
                            DistoExact::process_block_mix(&out[pos], &in[pos], n, gain);
                        } else {
                            DistoExact::process_block(&out[pos], &in[pos], n, gain);
                            DistoExact::process_block(&in_place[pos], &in_place[pos], n, gain);
                        }
                    }
                    for (std::size_t i = 0; i < in.size(); ++i) {
                        const std::uint32_t want =
                            mix ? std::bit_cast<std::uint32_t>(
                                      0.25f + std::bit_cast<float>(curve_bits(in[i], gain)))
                                : curve_bits(in[i], gain);
                        ASSERT_EQ(std::bit_cast<std::uint32_t>(out[i]), want)
                            << "x " << in[i] << " gain " << gain << " isa " << int(isa);
                        if (!mix) {
                            ASSERT_EQ(std::bit_cast<std::uint32_t>(in_place[i]), want);
                        }
                    }
                }
            }
        }
    }
}

} // namespace
