#pragma once

#include "host/offline/FileImage.h"
#include "host/offline/Options.h"

#include <span>
#include <string>
#include <vector>

struct sf_private_tag;

namespace host::offline {

namespace posix {
class StandardOutput;
}

// A WAV file written from one float buffer a channel (full scale 1.0). The
// file is built in memory and saved whole at the end through a temporary file
// renamed over the target, so a failed or abandoned run leaves no file and an
// existing target untouched. Integer formats clip samples beyond full scale.
// Integer samples are encoded in one pass straight into the file's bytes, the
// same bytes the file encoder makes with clipping on (see SampleCodec); the
// encoder writes the header and float samples. The same samples give the same
// bytes: float files carry no peak chunk, whose time stamp would differ. A
// file that would pass the largest size a WAV file can state is refused.
//
// One thread at a time; may allocate (the whole file).
class WavWriter
{
public:
    // The largest WAV file: its size less 8 must fit the header's 32 bits.
    static constexpr long long MAX_FILE_SIZE = 0xFFFFFFFFLL + 8;

    WavWriter() = default;
    WavWriter(const WavWriter&) = delete;
    WavWriter& operator=(const WavWriter&) = delete;
    ~WavWriter();

    // False, with the reason in `error`, when the encoder refuses the format.
    [[nodiscard]] bool open(SampleFormat format, int nbr_chn, int sample_rate, std::string& error);
    // Room for the header and `nbr_frames` frames, so that the file does not
    // move while it grows; no visible change.
    void reserve_frames(long long nbr_frames);
    // The size of the finished file with `nbr_frames` frames (after `open`).
    [[nodiscard]] long long get_file_size(long long nbr_frames) const noexcept;
    // False, with the reason in `error`, when a file of `nbr_frames` frames
    // would be larger than MAX_FILE_SIZE.
    [[nodiscard]] bool check_size(long long nbr_frames, std::string& error) const;
    // Appends `nbr_frames` frames from `chn[0]` to `chn[nbr_chn - 1]`, for
    // the channel count given to `open`. False, with the reason in
    // `get_error`, when memory runs out or the file would grow too large;
    // every later write fails too.
    [[nodiscard]] bool write(const float* const* chn, long nbr_frames);
    [[nodiscard]] const std::string& get_error() const noexcept { return _error; }
    // Finishes the file and saves it at `path`; false with the reason in
    // `error`, leaving no file of its own behind.
    [[nodiscard]] bool save(const std::string& path, std::string& error);
    // Finishes the file and writes it to the standard output set aside.
    [[nodiscard]] bool send(posix::StandardOutput& out, std::string& error);

    // The encoded bytes so far (the header complete only after `save` or
    // `finish`).
    [[nodiscard]] std::span<const unsigned char> get_bytes() const noexcept
    {
        return {_image.data(), _image.size()};
    }
    // Completes the file in memory without saving it; false on an encoder
    // failure.
    [[nodiscard]] bool finish();

    // Called by the encoder on the memory file.
    [[nodiscard]] long long seek(long long offset, int whence) noexcept;
    [[nodiscard]] long long put(const void* data, long long count);
    [[nodiscard]] long long get(void* data, long long count) noexcept;
    [[nodiscard]] long long tell() const noexcept { return _pos; }

private:
    [[nodiscard]] bool write_pcm(const float* const* chn, long nbr_frames);
    [[nodiscard]] bool write_float(const float* const* chn, long nbr_frames);
    // finish(), with the reason of a failure in `error`.
    [[nodiscard]] bool finish(std::string& error);

    sf_private_tag* _file = nullptr;
    FileImage _image;
    long long _pos = 0;
    SampleFormat _format = SampleFormat::FLOAT;
    int _nbr_chn = 0;
    int _frame_size = 0; // bytes of one frame in the file
    long long _header_size = 0;
    long long _nbr_frames = 0; // frames written
    std::string _error;
    // Float frames interleaved for the encoder.
    std::vector<float> _interleaved;
    bool _failed = false;
};

} // namespace host::offline
