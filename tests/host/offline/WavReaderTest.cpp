#include "host/offline/WavReader.h"

#include "WavFiles.h"
#include "support/ScratchFolder.h"

#include <gtest/gtest.h>

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
        EXPECT_EQ(reader.read(std::vector<float>(8).data(), 4), 0);
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

} // namespace
