#pragma once

#include "host/offline/Options.h"

#include <string>
#include <vector>

struct sf_private_tag;

namespace host::offline {

// A WAV file read block by block into one float buffer a channel (full scale
// 1.0). Only what the effect can take is opened: 16-bit or 24-bit PCM or
// 32-bit float samples, one or two channels, MIN_RATE to MAX_RATE Hz. The
// decoder finds the samples; their bytes are converted in one pass, to the
// same values the decoder gives (see SampleCodec).
//
// One thread at a time; may allocate.
class WavReader
{
public:
    // The effect's sample-rate range in Hz.
    static constexpr int MIN_RATE = 4000;
    static constexpr int MAX_RATE = 384000;

    WavReader() = default;
    WavReader(const WavReader&) = delete;
    WavReader& operator=(const WavReader&) = delete;
    ~WavReader();

    // False, with the reason in `error` and nothing open, for a file that is
    // missing or unreadable, is no WAV file, or whose sample format, channel
    // count or rate the effect cannot take.
    [[nodiscard]] bool open(const std::string& path, std::string& error);

    [[nodiscard]] int get_nbr_chn() const noexcept { return _nbr_chn; }
    [[nodiscard]] int get_sample_rate() const noexcept { return _sample_rate; }
    [[nodiscard]] long long get_nbr_frames() const noexcept { return _nbr_frames; }
    [[nodiscard]] SampleFormat get_format() const noexcept { return _format; }

    // Reads up to `nbr_frames` frames into `chn[0]` to `chn[nbr_chn - 1]`;
    // returns the frames read, 0 at the end.
    [[nodiscard]] long read(float* const* chn, long nbr_frames);

private:
    void close() noexcept;

    sf_private_tag* _file = nullptr;
    int _nbr_chn = 0;
    int _sample_rate = 0;
    long long _nbr_frames = 0;
    SampleFormat _format = SampleFormat::FLOAT;
    bool _big_endian = false; // byte order of the samples in the file
    // The file's bytes of the frames being read.
    std::vector<unsigned char> _raw;
};

} // namespace host::offline
