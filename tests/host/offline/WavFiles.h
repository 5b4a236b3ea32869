#pragma once

#include <sndfile.h>

#include <string>
#include <vector>

namespace offline_test {

// What write_sound adds to a plain file (flags).
enum WriteOption : unsigned
{
    PLAIN = 0,
    CLIP = 1,           // integer samples saturate instead of wrapping
    TRAILING_CHUNK = 2, // a text chunk after the samples
};

// Writes interleaved frames as a sound file of any format libsndfile knows; false when it
// refuses. Tests make inputs of their own with it, including ones the host must refuse.
inline bool write_sound(const std::string& path, int format, int nbr_chn, int rate,
                        const std::vector<float>& frames, unsigned options = PLAIN)
{
    SF_INFO info{};
    info.samplerate = rate;
    info.channels = nbr_chn;
    info.format = format;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    if (file == nullptr) {
        return false;
    }
    if ((options & CLIP) != 0) {
        (void)sf_command(file, SFC_SET_CLIPPING, nullptr, SF_TRUE);
    }
    const sf_count_t nbr = static_cast<sf_count_t>(frames.size()) / nbr_chn;
    bool ok = sf_writef_float(file, frames.data(), nbr) == nbr;
    if ((options & TRAILING_CHUNK) != 0) {
        ok = ok && sf_set_string(file, SF_STR_TITLE, "a title after the samples") == 0;
    }
    return sf_close(file) == 0 && ok;
}

// One buffer a channel of interleaved frames.
inline std::vector<std::vector<float>> split_channels(const std::vector<float>& frames, int nbr_chn)
{
    std::vector<std::vector<float>> chn(static_cast<std::size_t>(nbr_chn));
    for (std::size_t i = 0; i < frames.size(); ++i) {
        chn[i % static_cast<std::size_t>(nbr_chn)].push_back(frames[i]);
    }
    return chn;
}

// The interleaved frames of a sound file, read as floats; its channel count and rate in
// the two last arguments. Empty when it cannot be read.
inline std::vector<float> read_sound(const std::string& path, int& nbr_chn, int& rate)
{
    SF_INFO info{};
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
    if (file == nullptr) {
        return {};
    }
    std::vector<float> frames(static_cast<std::size_t>(info.frames * info.channels));
    const sf_count_t got = sf_readf_float(file, frames.data(), info.frames);
    sf_close(file);
    frames.resize(static_cast<std::size_t>(got * info.channels));
    nbr_chn = info.channels;
    rate = info.samplerate;
    return frames;
}

} // namespace offline_test
