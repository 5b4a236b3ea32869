#pragma once

#include <sndfile.h>

#include <string>
#include <vector>

namespace offline_test {

// Writes interleaved frames as a sound file of any format libsndfile knows; false when it
// refuses. Tests make inputs of their own with it, including ones the host must refuse.
inline bool write_sound(const std::string& path, int format, int nbr_chn, int rate,
                        const std::vector<float>& frames)
{
    SF_INFO info{};
    info.samplerate = rate;
    info.channels = nbr_chn;
    info.format = format;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    if (file == nullptr) {
        return false;
    }
    const sf_count_t nbr = static_cast<sf_count_t>(frames.size()) / nbr_chn;
    const bool ok = sf_writef_float(file, frames.data(), nbr) == nbr;
    return sf_close(file) == 0 && ok;
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
