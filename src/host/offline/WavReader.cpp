#include "host/offline/WavReader.h"

#include "host/offline/SampleCodec.h"

#include <sndfile.h>

#include <algorithm>
#include <bit>

namespace host::offline {

namespace {

// Frames whose bytes are read at a time.
constexpr long RAW_FRAMES = 8192;

bool find_format(int sf_format, SampleFormat& format)
{
    const int major = sf_format & SF_FORMAT_TYPEMASK;
    if (major != SF_FORMAT_WAV && major != SF_FORMAT_WAVEX) {
        return false;
    }
    switch (sf_format & SF_FORMAT_SUBMASK) {
    case SF_FORMAT_PCM_16:
        format = SampleFormat::PCM16;
        return true;
    case SF_FORMAT_PCM_24:
        format = SampleFormat::PCM24;
        return true;
    case SF_FORMAT_FLOAT:
        format = SampleFormat::FLOAT;
        return true;
    default:
        return false;
    }
}

} // namespace

WavReader::~WavReader()
{
    close();
}

void WavReader::close() noexcept
{
    if (_file != nullptr) {
        (void)sf_close(_file);
        _file = nullptr;
    }
}

bool WavReader::open(const std::string& path, std::string& error)
{
    close();
    SF_INFO info{};
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
    if (file == nullptr) {
        error = "cannot read input file '" + path + "': " + sf_strerror(nullptr);
        return false;
    }
    SampleFormat format = SampleFormat::FLOAT;
    if (!find_format(info.format, format)) {
        error = "input file '" + path +
                "' is not a WAV file of 16-bit or 24-bit PCM or 32-bit float samples";
    } else if (info.channels != 1 && info.channels != 2) {
        error = "input file '" + path + "' has " + std::to_string(info.channels) +
                " channels; the effect takes 1 or 2";
    } else if (info.samplerate < MIN_RATE || info.samplerate > MAX_RATE) {
        error = "input file '" + path + "' runs at " + std::to_string(info.samplerate) +
                " Hz; the effect takes " + std::to_string(MIN_RATE) + " to " +
                std::to_string(MAX_RATE) + " Hz";
    } else {
        _file = file;
        _nbr_chn = info.channels;
        _sample_rate = info.samplerate;
        _nbr_frames = info.frames;
        _format = format;
        // The samples' bytes are in the machine's order unless they need swapping.
        const bool swap = sf_command(file, SFC_RAW_DATA_NEEDS_ENDSWAP, nullptr, 0) == SF_TRUE;
        _big_endian = (std::endian::native == std::endian::big) != swap;
        return true;
    }
    (void)sf_close(file);
    return false;
}

long WavReader::read(float* const* chn, long nbr_frames)
{
    if (_file == nullptr || nbr_frames <= 0) {
        return 0;
    }
    const long frame_size = SampleCodec::get_sample_size(_format) * _nbr_chn;
    const auto raw_size = static_cast<std::size_t>(std::min(nbr_frames, RAW_FRAMES) * frame_size);
    if (_raw.size() < raw_size) {
        _raw.resize(raw_size);
    }
    long done = 0;
    while (done < nbr_frames) {
        const long want = std::min(nbr_frames - done, RAW_FRAMES);
        const sf_count_t got_bytes = sf_read_raw(_file, _raw.data(), want * frame_size);
        // A frame cut short at the end of the file is no frame.
        const long got = got_bytes > 0 ? static_cast<long>(got_bytes / frame_size) : 0;
        float* const at[SampleCodec::MAX_CHN] = {chn[0] + done, chn[_nbr_chn - 1] + done};
        SampleCodec::decode(_format, _big_endian, _raw.data(), _nbr_chn, got, at);
        done += got;
        if (got < want) {
            break;
        }
    }
    return done;
}

} // namespace host::offline
