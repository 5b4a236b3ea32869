#include "host/offline/WavReader.h"

#include <sndfile.h>

namespace host::offline {

namespace {

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
        return true;
    }
    (void)sf_close(file);
    return false;
}

long WavReader::read(float* data, long nbr_frames)
{
    if (_file == nullptr || nbr_frames <= 0) {
        return 0;
    }
    return static_cast<long>(sf_readf_float(_file, data, nbr_frames));
}

} // namespace host::offline
