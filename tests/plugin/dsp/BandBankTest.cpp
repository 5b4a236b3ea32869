#include "plugin/dsp/BandBank.h"

#include "lib/dsp/Filter2p.h"
#include "support/VectorBuilds.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <random>
#include <vector>

namespace {

constexpr int nbr_chn = BandBank::NBR_CHN;
constexpr int nbr_bands = BandBank::NBR_LANES - 1;
// Band b reads its channel's line this many samples per band behind band 0:
// the taps overlap, as the effect's do.
constexpr long tap_step = 3;
constexpr long max_delay = tap_step * (nbr_bands - 1);

bool same_bits(float a, float b)
{
    return std::bit_cast<std::uint32_t>(a) == std::bit_cast<std::uint32_t>(b);
}

bool same_state(const dsp::Biquad::State& a, const dsp::Biquad::State& b)
{
    return same_bits(a.x1, b.x1) && same_bits(a.x2, b.x2) && same_bits(a.y1, b.y1) &&
           same_bits(a.y2, b.y2) && a.pos == b.pos;
}

struct Case
{
    int nbr_chn;
    int nbr_lanes;
    bool fading;
    bool gain_ramping;
    int nbr_guarded;
};

// The bank against its sections run one by one with the block forms of
// dsp::Biquad, summed band after band under the fades, then scaled: output,
// guarded outputs and every memory bit for bit, over chunks of every length
// (short ones with and without guarded sections) and every build of the
// kernel. Signals near 1e-20 let the guard show.
TEST(BandBank, LanesGiveTheBitsOfTheSectionsOneByOne)
{
    const Case cases[] = {{1, 1, false, false, 0}, {2, 15, false, false, 2}, {2, 9, true, true, 1},
                          {1, 8, true, false, 1},  {2, 5, false, true, 2},   {1, 7, true, false, 1},
                          {2, 15, true, true, 2},  {2, 15, true, true, 0},   {1, 12, false, true, 0},
                          {2, 8, true, false, 0}};
    const long chunks[] = {1, 3, 8, 64, 17, 2, 64, 9};
    std::mt19937 gen(7);
    std::uniform_real_distribution<float> sig(-1, 1);
    for (const dsp::VectorIsa isa : test_support::runnable_isas()) {
        const test_support::IsaLimit limit(isa);
        for (const Case& c : cases) {
            SCOPED_TRACE(testing::Message() << "lanes " << c.nbr_lanes << " isa " << int(isa));
            BandBank bank;
            dsp::Filter2p alone[nbr_chn][nbr_bands];
            dsp::Filter2p lpf[nbr_chn];
            for (int chn = 0; chn < nbr_chn; ++chn) {
                for (int b = 0; b < c.nbr_lanes; ++b) {
                    dsp::Filter2p& f = alone[chn][b];
                    f._type = dsp::Filter2p::TYPE_BANDPASS;
                    f._freq = 200.0f * float(b + 1) + 10.0f * float(chn);
                    f._q = float(b + 1);
                    f.update_eq();
                    bank.set_coefs(chn, b, f);
                }
                lpf[chn]._type = dsp::Filter2p::TYPE_LOWPASS;
                lpf[chn]._gain = 5;
                lpf[chn].update_eq();
            }
            // Toggles that differ between the channels.
            float discard[1];
            const float one[1] = {1e-20f};
            lpf[1].process_block_nd(discard, one, 1);
            dsp::Filter2p lpf_alone[nbr_chn] = {lpf[0], lpf[1]};
            float fade[BandBank::NBR_LANES] = {};
            float fade_step[BandBank::NBR_LANES] = {};
            for (int b = 0; b < c.nbr_lanes; ++b) {
                fade[b] = c.fading ? float(b) / 16 : 1;
                fade_step[b] = c.fading ? (b % 2 == 0 ? 0.0015625f : -0.0015625f) : 0;
            }

            for (const long n : chunks) {
                const auto len = static_cast<std::size_t>(n);
                const float level = n % 2 == 0 ? 1.0f : 1e-19f;
                std::vector<float> line[nbr_chn];
                long delay[BandBank::NBR_LANES] = {};
                for (int b = 0; b < nbr_bands; ++b) {
                    delay[b] = tap_step * b;
                }
                const auto tap = [&](int chn, int b) {
                    return line[chn].data() + (max_delay - delay[b]);
                };
                BandBank::Chunk chunk;
                chunk.delay = delay;
                chunk.tap_pos = max_delay;
                chunk.ring_mask = ~0L;
                chunk.nbr_chn = c.nbr_chn;
                chunk.nbr_lanes = c.nbr_lanes;
                chunk.nbr_spl = n;
                chunk.fading = c.fading;
                chunk.gain_ramping = c.gain_ramping;
                chunk.gain = 0.75f;
                chunk.nbr_guarded = c.nbr_guarded;
                for (long i = 0; i < n; ++i) {
                    chunk.gain_ramp[i] = 0.5f + 0.01f * float(i);
                }
                for (int b = 0; b < BandBank::NBR_LANES; ++b) {
                    chunk.fade[b] = fade[b];
                    chunk.fade_step[b] = fade_step[b];
                }
                std::vector<float> out[nbr_chn], lp[nbr_chn], want[nbr_chn], lp_want[nbr_chn];
                for (int chn = 0; chn < c.nbr_chn; ++chn) {
                    line[chn].resize(len + std::size_t(max_delay));
                    for (float& v : line[chn]) {
                        v = level * sig(gen);
                    }
                    chunk.line[chn] = line[chn].data();
                    out[chn].assign(len, 0.0f);
                    lp[chn].assign(len, 0.0f);
                    lp_want[chn].assign(len, 0.0f);
                    chunk.guarded[chn] = &lpf[chn];
                    chunk.guarded_src[chn] = tap(chn, 0);
                    chunk.guarded_out[chn] = lp[chn].data();
                }
                float* out_ptr[nbr_chn] = {out[0].data(), out[1].data()};
                bank.process(out_ptr, chunk);

                for (int chn = 0; chn < c.nbr_chn; ++chn) {
                    std::vector<float> sum(len, 0.0f);
                    for (int b = 0; b < c.nbr_lanes; ++b) {
                        std::vector<float> y(len);
                        alone[chn][b].process_block(y.data(), tap(chn, b), n);
                        float g = fade[b];
                        for (long i = 0; i < n; ++i) {
                            const float w = c.fading ? g * y[std::size_t(i)] : y[std::size_t(i)];
                            sum[std::size_t(i)] = b == 0 ? w : sum[std::size_t(i)] + w;
                            g += fade_step[b];
                        }
                    }
                    for (long i = 0; i < n; ++i) {
                        const float gain = c.gain_ramping ? chunk.gain_ramp[i] : chunk.gain;
                        ASSERT_TRUE(same_bits(out[chn][std::size_t(i)], sum[std::size_t(i)] * gain))
                            << "chunk " << n << " sample " << i << " channel " << chn;
                    }
                    if (chn < c.nbr_guarded) {
                        lpf_alone[chn].process_block_nd(lp_want[chn].data(), tap(chn, 0), n);
                        for (long i = 0; i < n; ++i) {
                            ASSERT_TRUE(
                                same_bits(lp[chn][std::size_t(i)], lp_want[chn][std::size_t(i)]));
                        }
                        ASSERT_TRUE(same_state(lpf[chn].get_state(), lpf_alone[chn].get_state()));
                    }
                    for (int b = 0; b < c.nbr_lanes; ++b) {
                        ASSERT_TRUE(same_state(bank.get_state(chn, b), alone[chn][b].get_state()))
                            << "band " << b;
                    }
                }
                if (c.fading) {
                    for (int b = 0; b < c.nbr_lanes; ++b) {
                        for (long i = 0; i < n; ++i) {
                            fade[b] += fade_step[b];
                        }
                        ASSERT_TRUE(same_bits(chunk.fade[b], fade[b])) << "fade " << b;
                    }
                }
            }
        }
    }
}

} // namespace
