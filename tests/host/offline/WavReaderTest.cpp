#include "host/offline/WavReader.h"

#include "WavFiles.h"
#include "support/ScratchFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <limits>
#include <random>
#include <string>
#include <vector>

namespace {

using test_support::ScratchFolder;

TEST(WavReader, RefusesWhatTheEffectCannotTake)
{
    ScratchFolder folder;
    const std::vector<float> frames(600, 0.25f);
    struct Case
    {
        const char* file;
        int format; // 0: no sound file
        int nbr_chn;
        int rate;
        const char* message;
    };
    const Case cases[] = {
        {"missing.wav", -1, 1, 44100, "cannot read input file '"},
        {"text.wav", 0, 1, 44100, "cannot read input file '"},
        {"u8.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_U8, 1, 44100,
         "' is not a WAV file of 16-bit or 24-bit PCM or 32-bit float samples"},
        {"aiff.wav", SF_FORMAT_AIFF | SF_FORMAT_PCM_16, 1, 44100,
         "' is not a WAV file of 16-bit or 24-bit PCM or 32-bit float samples"},
        {"three.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 3, 44100,
         "' has 3 channels; the effect takes 1 or 2"},
        {"slow.wav", SF_FORMAT_WAV | SF_FORMAT_FLOAT, 2, 3999,
         "' runs at 3999 Hz; the effect takes 4000 to 384000 Hz"},
        {"fast.wav", SF_FORMAT_WAV | SF_FORMAT_FLOAT, 2, 384001,
         "' runs at 384001 Hz; the effect takes 4000 to 384000 Hz"},
    };
    for (const Case& c : cases) {
        const std::string path = folder.file(c.file);
        if (c.format == 0) {
            ScratchFolder::write(path, "not a sound file at all, just some text");
        } else if (c.format > 0) {
            ASSERT_TRUE(offline_test::write_sound(path, c.format, c.nbr_chn, c.rate, frames));
        }
        host::offline::WavReader reader;
        std::string error;
        EXPECT_FALSE(reader.open(path, error)) << c.file;
        EXPECT_NE(error.find(c.message), std::string::npos) << error;
        float buf[8] = {};
        float* const chn[2] = {buf, buf + 4};
        EXPECT_EQ(reader.read(chn, 4), 0);
    }
    // The limits themselves are taken.
    for (const int rate : {4000, 384000}) {
        const std::string path = folder.file("edge.wav");
        ASSERT_TRUE(
            offline_test::write_sound(path, SF_FORMAT_WAV | SF_FORMAT_PCM_24, 1, rate, frames));
        host::offline::WavReader reader;
        std::string error;
        EXPECT_TRUE(reader.open(path, error)) << error;
    }
}

// Every 16-bit value, random ones and the float specials, in each kind of file the host
// takes: the reader gives, bit for bit, the floats the decoder itself gives.
TEST(WavReader, ReadsWhatTheDecoderReads)
{
    using Limits = std::numeric_limits<float>;
    std::vector<float> values;
    for (int k = -32768; k < 32768; ++k) {
        values.push_back(float(k) / 32768);
    }
    std::mt19937 rng(19);
    std::uniform_real_distribution<float> dist(-1.1f, 1.1f);
    for (int i = 0; i < 20000; ++i) {
        values.push_back(dist(rng));
    }
    values.insert(values.end(), {Limits::infinity(), -Limits::infinity(), Limits::quiet_NaN(),
                                 Limits::denorm_min(), -0.0f, Limits::max()});
    struct Case
    {
        int format;
        int nbr_chn;
        unsigned options;
        long cut; // bytes cut off the end: the last frame cut short
    };
    const int big = SF_ENDIAN_BIG; // the byte order of a RIFX file
    const Case cases[] = {
        {SF_FORMAT_WAV | SF_FORMAT_PCM_16, 2, offline_test::PLAIN, 0},
        {SF_FORMAT_WAV | SF_FORMAT_PCM_16, 1, offline_test::PLAIN, 3},
        {SF_FORMAT_WAV | SF_FORMAT_PCM_16 | big, 2, offline_test::PLAIN, 0},
        {SF_FORMAT_WAV | SF_FORMAT_PCM_24, 1, offline_test::TRAILING_CHUNK, 0},
        {SF_FORMAT_WAV | SF_FORMAT_PCM_24 | big, 2, offline_test::PLAIN, 0},
        {SF_FORMAT_WAVEX | SF_FORMAT_PCM_24, 2, offline_test::PLAIN, 5},
        {SF_FORMAT_WAV | SF_FORMAT_FLOAT, 2, offline_test::TRAILING_CHUNK, 0},
        {SF_FORMAT_WAV | SF_FORMAT_FLOAT | big, 1, offline_test::PLAIN, 1},
    };
    for (const Case& c : cases) {
        ScratchFolder folder;
        const std::string path = folder.file("in.wav");
        ASSERT_TRUE(offline_test::write_sound(path, c.format, c.nbr_chn, 44100, values, c.options));
        std::filesystem::resize_file(path, std::filesystem::file_size(path) - c.cut);
        int nbr_chn = 0;
        int rate = 0;
        const std::vector<float> want = offline_test::read_sound(path, nbr_chn, rate);

        host::offline::WavReader reader;
        std::string error;
        ASSERT_TRUE(reader.open(path, error)) << error;
        const long nbr_frames = long(values.size()) / c.nbr_chn;
        std::vector<float> left(std::size_t(nbr_frames) + 1);
        std::vector<float> right(left.size());
        // Pieces below and above what the reader takes from the file at once.
        long done = 0;
        for (long piece = 3001; true; piece = piece == 3001 ? 20000 : 3001) {
            float* const chn[2] = {left.data() + done, right.data() + done};
            const long got = reader.read(chn, std::min(piece, long(left.size()) - done));
            if (got <= 0) {
                break;
            }
            done += got;
        }
        ASSERT_EQ(done * c.nbr_chn, long(want.size())) << c.format;
        long nbr_diff = 0;
        for (std::size_t i = 0; i < want.size(); ++i) {
            const float got =
                (c.nbr_chn == 2 && i % 2 == 1 ? right : left)[i / std::size_t(c.nbr_chn)];
            nbr_diff += std::bit_cast<std::uint32_t>(got) != std::bit_cast<std::uint32_t>(want[i]);
        }
        EXPECT_EQ(nbr_diff, 0) << c.format << " " << c.nbr_chn;
        // The first sample that is no finite number is told by its frame and channel.
        const auto bad = std::find_if(want.begin(), want.end(),
                                      [](float value) { return !std::isfinite(value); });
        const long at = long(bad - want.begin());
        const auto& found = reader.get_non_finite();
        EXPECT_EQ(found.chn, bad == want.end() ? -1 : at % c.nbr_chn) << c.format;
        EXPECT_EQ(found.frame, bad == want.end() ? 0 : at / c.nbr_chn) << c.format;
    }
}

} // namespace
