#include "host/offline/WavWriter.h"

#include "WavFiles.h"
#include "host/offline/SampleCodec.h"
#include "host/offline/WavReader.h"
#include "support/ScratchFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <limits>
#include <random>
#include <vector>

namespace {

using host::offline::SampleFormat;
using test_support::ScratchFolder;

TEST(WavWriter, FormatsRoundTripWithinTheirResolutionAndIntegersClip)
{
    struct Case
    {
        SampleFormat format;
        double step; // one quantisation step; 0: exact
    };
    const Case cases[] = {{SampleFormat::PCM16, 1.0 / 32768},
                          {SampleFormat::PCM24, 1.0 / 8388608},
                          {SampleFormat::FLOAT, 0}};
    // A ramp across full scale and beyond it, in both channels.
    std::vector<float> frames;
    for (int i = 0; i <= 300; ++i) {
        const float value = -1.5f + float(i) * 0.01f;
        frames.push_back(value);
        frames.push_back(-value * 0.5f);
    }
    for (const Case& c : cases) {
        ScratchFolder folder;
        const std::string path = folder.file("out.wav");
        host::offline::WavWriter writer;
        std::string error;
        ASSERT_TRUE(writer.open(c.format, 2, 48000, error)) << error;
        const auto chn = offline_test::split_channels(frames, 2);
        const float* const first[2] = {chn[0].data(), chn[1].data()};
        const float* const rest[2] = {chn[0].data() + 100, chn[1].data() + 100};
        ASSERT_TRUE(writer.write(first, 100));
        ASSERT_TRUE(writer.write(rest, long(frames.size() / 2) - 100));
        ASSERT_TRUE(writer.save(path, error)) << error;
        EXPECT_EQ(folder.count_entries(), 1);

        host::offline::WavReader reader;
        ASSERT_TRUE(reader.open(path, error)) << error;
        EXPECT_EQ(reader.get_format(), c.format);
        EXPECT_EQ(reader.get_nbr_chn(), 2);
        EXPECT_EQ(reader.get_sample_rate(), 48000);
        ASSERT_EQ(reader.get_nbr_frames(), long(frames.size() / 2));
        std::vector<float> left(frames.size() / 2);
        std::vector<float> right(frames.size() / 2);
        float* const back[2] = {left.data(), right.data()};
        ASSERT_EQ(reader.read(back, long(left.size())), long(left.size()));
        for (std::size_t i = 0; i < frames.size(); ++i) {
            // Integer files saturate at full scale: no wrap to the other sign.
            const double want =
                c.step == 0 ? frames[i] : std::clamp(double(frames[i]), -1.0, 1.0 - c.step);
            EXPECT_NEAR((i % 2 == 0 ? left : right)[i / 2], want, c.step) << i;
        }
    }
}

// The writer knows the size of the file it saves before writing a frame, and refuses a file
// whose size less 8 would not fit the 32 bits that a WAV header keeps for it.
TEST(WavWriter, FileSizeIsKnownBeforehandAndLimitedToWhatAWavFileHolds)
{
    constexpr long long LIMIT = (1LL << 32) - 1 + 8;
    for (const SampleFormat format :
         {SampleFormat::PCM16, SampleFormat::PCM24, SampleFormat::FLOAT}) {
        for (const int nbr_chn : {1, 2}) {
            long long header = -1; // the size of a file without frames
            for (const long nbr_frames : {0L, 1L, 3L, 1001L}) {
                ScratchFolder folder;
                host::offline::WavWriter writer;
                std::string error;
                ASSERT_TRUE(writer.open(format, nbr_chn, 48000, error)) << error;
                const long long predicted = writer.get_file_size(nbr_frames);
                const std::vector<float> samples(std::size_t(nbr_frames), 0.25f);
                const float* const chn[2] = {samples.data(), samples.data()};
                ASSERT_TRUE(writer.write(chn, nbr_frames));
                ASSERT_TRUE(writer.save(folder.file("out.wav"), error)) << error;
                const auto size = (long long)std::filesystem::file_size(folder.file("out.wav"));
                EXPECT_EQ(predicted, size) << int(format) << " " << nbr_chn << " " << nbr_frames;
                header = nbr_frames == 0 ? size : header;
            }
            // The most frames that fit, the samples' chunk padded to an even size.
            const long long frame_size =
                host::offline::SampleCodec::get_sample_size(format) * nbr_chn;
            const auto size_of = [&](long long n) {
                return header + n * frame_size + ((n * frame_size) & 1);
            };
            long long most = (LIMIT - header) / frame_size;
            while (size_of(most) > LIMIT) {
                --most;
            }
            host::offline::WavWriter writer;
            std::string error;
            ASSERT_TRUE(writer.open(format, nbr_chn, 48000, error)) << error;
            EXPECT_TRUE(writer.check_size(most, error)) << error;
            EXPECT_FALSE(writer.check_size(most + 1, error));
            EXPECT_EQ(error, "the output would be " + std::to_string(size_of(most + 1)) +
                                 " bytes; a WAV file holds at most " + std::to_string(LIMIT));
        }
    }
}

// Samples where rounding or saturation could go wrong, and random ones of every size: the
// file holds the very bytes the encoder makes of them with clipping on, header included.
TEST(WavWriter, IntegerFilesEqualTheEncodersOwnWithClipping)
{
    using Limits = std::numeric_limits<float>;
    std::vector<float> values = {0.0f,
                                 1.0f,
                                 2.0f,
                                 std::nextafter(1.0f, 0.0f),
                                 std::nextafter(1.0f, 2.0f),
                                 Limits::infinity(),
                                 Limits::quiet_NaN(),
                                 Limits::denorm_min(),
                                 Limits::max()};
    // The same of the other sign.
    for (std::size_t i = 0, nbr = values.size(); i < nbr; ++i) {
        values.push_back(-values[i]);
    }
    // Around the steps of both sizes, in units of 2^-31: halves round to even there.
    for (const double step : {65536.0, 256.0}) {
        for (int k = -2; k <= 2; ++k) {
            for (const double d : {-1.5, -1.0, -0.5, -0.25, 0.0, 0.25, 0.5, 1.0, 1.5}) {
                values.push_back(float(std::ldexp(step * k + d, -31)));
            }
        }
    }
    std::mt19937 rng(20);
    std::uniform_real_distribution<float> dist(-1.2f, 1.2f);
    while (values.size() < 720000) {
        // Plain samples, and any bit pattern at all.
        values.push_back(values.size() % 4 == 0 ? std::bit_cast<float>(std::uint32_t(rng()))
                                                : dist(rng));
    }
    struct Case
    {
        SampleFormat format;
        int sf_format;
        int nbr_chn;
        bool reserve; // room for the whole file asked first
    };
    const Case cases[] = {{SampleFormat::PCM16, SF_FORMAT_PCM_16, 2, true},
                          {SampleFormat::PCM16, SF_FORMAT_PCM_16, 1, false},
                          {SampleFormat::PCM24, SF_FORMAT_PCM_24, 2, false},
                          {SampleFormat::PCM24, SF_FORMAT_PCM_24, 1, true}};
    for (const Case& c : cases) {
        ScratchFolder folder;
        const std::string want_path = folder.file("want.wav");
        ASSERT_TRUE(offline_test::write_sound(want_path, SF_FORMAT_WAV | c.sf_format, c.nbr_chn,
                                              48000, values, offline_test::CLIP));
        const auto chn = offline_test::split_channels(values, c.nbr_chn);
        const long nbr_frames = long(chn[0].size());
        host::offline::WavWriter writer;
        std::string error;
        ASSERT_TRUE(writer.open(c.format, c.nbr_chn, 48000, error)) << error;
        if (c.reserve) {
            writer.reserve_frames(nbr_frames);
        }
        // Pieces of every length modulo four.
        const long pieces[] = {1, 2, 3, 4097, 30001, 77778};
        for (long pos = 0, k = 0, piece = 0; pos < nbr_frames; pos += piece, ++k) {
            piece = std::min(pieces[k % 6], nbr_frames - pos);
            const float* const from[2] = {chn[0].data() + pos,
                                          chn[std::size_t(c.nbr_chn - 1)].data() + pos};
            ASSERT_TRUE(writer.write(from, piece));
        }
        const std::string path = folder.file("out.wav");
        ASSERT_TRUE(writer.save(path, error)) << error;
        EXPECT_TRUE(ScratchFolder::read(path) == ScratchFolder::read(want_path))
            << int(c.format) << " " << c.nbr_chn;
    }
}

} // namespace
