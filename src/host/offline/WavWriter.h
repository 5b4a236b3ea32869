#pragma once

#include "host/offline/FileImage.h"
#include "host/offline/Options.h"

#include <span>
#include <string>
#include <vector>

struct sf_private_tag;

namespace host::offline {

// A WAV file written from one float buffer a channel (full scale 1.0). The
// file is built in memory and saved whole at the end through a temporary file
// renamed over the target, so a failed or abandoned run leaves no file and an
// existing target untouched. Integer formats clip samples beyond full scale.
// Integer samples are encoded in one pass straight into the file's bytes, the
// same bytes the file encoder makes with clipping on (see SampleCodec); the
// encoder writes the header and float samples.
//
// One thread at a time; may allocate (the whole file).
class WavWriter
{
public:
    WavWriter() = default;
    WavWriter(const WavWriter&) = delete;
    WavWriter& operator=(const WavWriter&) = delete;
    ~WavWriter();

    // False, with the reason in `error`, when the encoder refuses the format.
    [[nodiscard]] bool open(SampleFormat format, int nbr_chn, int sample_rate, std::string& error);
    // Room for the header and `nbr_frames` frames, so that the file does not
    // move while it grows; no visible change.
    void reserve_frames(long long nbr_frames);
    // Appends `nbr_frames` frames from `chn[0]` to `chn[nbr_chn - 1]`, for
    // the channel count given to `open`.
    [[nodiscard]] bool write(const float* const* chn, long nbr_frames);
    // Finishes the file and saves it at `path`; false with the reason in
    // `error`, leaving no file of its own behind.
    [[nodiscard]] bool save(const std::string& path, std::string& error);

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

    sf_private_tag* _file = nullptr;
    FileImage _image;
    long long _pos = 0;
    SampleFormat _format = SampleFormat::FLOAT;
    int _nbr_chn = 0;
    int _frame_size = 0; // bytes of one frame in the file
    // Float frames interleaved for the encoder.
    std::vector<float> _interleaved;
    bool _failed = false;
};

} // namespace host::offline
