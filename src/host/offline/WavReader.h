#pragma once

#include "host/offline/Options.h"
#include "host/offline/SampleCodec.h"

#include <string>
#include <vector>

struct sf_private_tag;

namespace host::offline {

// A WAV file read block by block into one float buffer a channel (full scale
// 1.0). Only what the effect can take is opened: 16-bit or 24-bit PCM or
// 32-bit float samples, one or two channels, MIN_RATE to MAX_RATE Hz. The
// decoder finds the samples; their bytes are converted in one pass, to the
// same values the decoder gives (see SampleCodec). Damage is told, not
// mended: a header that disagrees with the file it heads, and samples that
// are no finite number.
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
    // -1 for a stream whose header gives no length: the largest data size it
    // can state, as programs writing to a pipe give.
    [[nodiscard]] long long get_nbr_frames() const noexcept { return _nbr_frames; }
    [[nodiscard]] SampleFormat get_format() const noexcept { return _format; }
    [[nodiscard]] const std::string& get_path() const noexcept { return _path; }
    // True for a regular file (by name, or as the standard input), whose
    // frames are counted before reading; the count of a stream (a pipe, a
    // device) is what its header claims.
    [[nodiscard]] bool is_length_known() const noexcept { return _length_known; }

    // A regular file's header that disagrees with the file: the frames its
    // data size claims (more than the file holds, or 0 before samples that
    // are there) and the frames the file holds after it. Both -1 otherwise.
    // The frames read are those the decoder finds: the claimed ones that are
    // there. A stream that ends before the frames its header claims is told
    // once it has ended, and its count of frames becomes what arrived.
    struct HeaderClaim
    {
        long long claimed = -1;
        long long found = -1;
    };
    [[nodiscard]] const HeaderClaim& get_damaged_header() const noexcept { return _claim; }

    // Where the first sample read that is no finite number (NaN, infinity)
    // lies: its channel and frame, both counted from 0; channel -1 while
    // there is none. Only float files can hold one.
    using SamplePos = SampleCodec::SamplePos;
    [[nodiscard]] const SamplePos& get_non_finite() const noexcept { return _non_finite; }

    // Reads up to `nbr_frames` frames into `chn[0]` to `chn[nbr_chn - 1]`;
    // returns the frames read, 0 at the end.
    [[nodiscard]] long read(float* const* chn, long nbr_frames);

private:
    void close() noexcept;
    // Compares the data size in the header of a regular file with the file;
    // takes note of a stream's header that gives no length.
    void check_header();

    sf_private_tag* _file = nullptr;
    std::string _path;
    int _nbr_chn = 0;
    int _sample_rate = 0;
    long long _nbr_frames = 0;
    SampleFormat _format = SampleFormat::FLOAT;
    bool _big_endian = false; // byte order of the samples in the file
    bool _length_known = false;
    HeaderClaim _claim;
    SamplePos _non_finite;
    long long _nbr_read = 0; // frames read so far
    // The file's bytes of the frames being read.
    std::vector<unsigned char> _raw;
};

} // namespace host::offline
