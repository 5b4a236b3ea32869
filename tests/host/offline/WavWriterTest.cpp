#include "host/offline/WavWriter.h"

#include "WavFiles.h"
#include "host/offline/WavReader.h"
#include "support/ScratchFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
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
        ASSERT_TRUE(writer.write(frames.data(), 100));
        ASSERT_TRUE(writer.write(frames.data() + 200, long(frames.size() / 2) - 100));
        ASSERT_TRUE(writer.save(path, error)) << error;
        EXPECT_EQ(folder.count_entries(), 1);

        host::offline::WavReader reader;
        ASSERT_TRUE(reader.open(path, error)) << error;
        EXPECT_EQ(reader.get_format(), c.format);
        EXPECT_EQ(reader.get_nbr_chn(), 2);
        EXPECT_EQ(reader.get_sample_rate(), 48000);
        ASSERT_EQ(reader.get_nbr_frames(), long(frames.size() / 2));
        std::vector<float> back(frames.size());
        ASSERT_EQ(reader.read(back.data(), long(frames.size())), long(frames.size() / 2));
        for (std::size_t i = 0; i < frames.size(); ++i) {
            // Integer files saturate at full scale: no wrap to the other sign.
            const double want =
                c.step == 0 ? frames[i] : std::clamp(double(frames[i]), -1.0, 1.0 - c.step);
            EXPECT_NEAR(back[i], want, c.step) << i;
        }
    }
}

} // namespace
