#include "host/offline/WavWriter.h"

#include "host/offline/SampleCodec.h"
#include "host/offline/posix/SignalCleanup.h"
#include "host/offline/posix/StandardOutput.h"
#include "lib/basic/AtomicFileWriter.h"

#include <sndfile.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <new>
#include <string_view>

namespace host::offline {

namespace {

// Float frames interleaved at a time for the encoder.
constexpr long FLOAT_STRIP = 4096;
// The encoder fails only where the memory file cannot grow.
constexpr const char* ENCODE_FAILED_0 = "cannot encode the output: out of memory";

WavWriter& use_writer(void* user_data)
{
    return *static_cast<WavWriter*>(user_data);
}

sf_count_t vio_get_filelen(void* user_data)
{
    return static_cast<sf_count_t>(use_writer(user_data).get_bytes().size());
}

sf_count_t vio_seek(sf_count_t offset, int whence, void* user_data)
{
    return use_writer(user_data).seek(offset, whence);
}

sf_count_t vio_read(void* ptr, sf_count_t count, void* user_data)
{
    return use_writer(user_data).get(ptr, count);
}

sf_count_t vio_write(const void* ptr, sf_count_t count, void* user_data)
{
    // The encoder is C code: nothing may be thrown through it.
    try {
        return use_writer(user_data).put(ptr, count);
    } catch (...) {
        return 0;
    }
}

sf_count_t vio_tell(void* user_data)
{
    return use_writer(user_data).tell();
}

int make_sf_format(SampleFormat format)
{
    switch (format) {
    case SampleFormat::PCM16:
        return SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    case SampleFormat::PCM24:
        return SF_FORMAT_WAV | SF_FORMAT_PCM_24;
    case SampleFormat::FLOAT:
        break;
    }
    return SF_FORMAT_WAV | SF_FORMAT_FLOAT;
}

} // namespace

WavWriter::~WavWriter()
{
    (void)finish();
}

long long WavWriter::seek(long long offset, int whence) noexcept
{
    long long base = 0;
    if (whence == SEEK_CUR) {
        base = _pos;
    } else if (whence == SEEK_END) {
        base = static_cast<long long>(_image.size());
    }
    const long long pos = base + offset;
    if (pos < 0) {
        return -1;
    }
    _pos = pos;
    return _pos;
}

long long WavWriter::put(const void* data, long long count)
{
    if (count <= 0) {
        return 0;
    }
    _image.write(static_cast<std::size_t>(_pos), data, static_cast<std::size_t>(count));
    _pos += count;
    return count;
}

void WavWriter::reserve_frames(long long nbr_frames)
{
    constexpr long long HEADER_ROOM = 4096;
    if (nbr_frames > 0 && _frame_size > 0) {
        _image.reserve(static_cast<std::size_t>(HEADER_ROOM + nbr_frames * _frame_size));
    }
}

long long WavWriter::get(void* data, long long count) noexcept
{
    const auto size = static_cast<long long>(_image.size());
    const long long nbr = std::clamp(size - _pos, 0LL, std::max(count, 0LL));
    if (nbr > 0) {
        std::memcpy(data, _image.data() + _pos, static_cast<std::size_t>(nbr));
        _pos += nbr;
    }
    return nbr;
}

bool WavWriter::open(SampleFormat format, int nbr_chn, int sample_rate, std::string& error)
{
    (void)finish();
    _image.clear();
    _pos = 0;
    _failed = false;
    _error.clear();
    _nbr_frames = 0;
    _format = format;
    _nbr_chn = nbr_chn;
    _frame_size = SampleCodec::get_sample_size(format) * nbr_chn;
    SF_INFO info{};
    info.samplerate = sample_rate;
    info.channels = nbr_chn;
    info.format = make_sf_format(format);
    static SF_VIRTUAL_IO vio = {vio_get_filelen, vio_seek, vio_read, vio_write, vio_tell};
    _file = sf_open_virtual(&vio, SFM_WRITE, &info, this);
    if (_file == nullptr) {
        error = std::string("cannot encode the output: ") + sf_strerror(nullptr);
        return false;
    }
    if (format != SampleFormat::FLOAT) {
        // Samples beyond full scale saturate instead of wrapping around.
        (void)sf_command(_file, SFC_SET_CLIPPING, nullptr, SF_TRUE);
    } else if (sf_command(_file, SFC_SET_ADD_PEAK_CHUNK, nullptr, SF_FALSE) != SF_FALSE) {
        // The peak chunk holds the time of writing. The room the header
        // already keeps for it becomes a padding chunk.
        error = "cannot encode the output without a time stamp";
        (void)finish();
        return false;
    }
    // The encoder writes the header at once, at the size it keeps.
    _header_size = static_cast<long long>(_image.size());
    return true;
}

long long WavWriter::get_file_size(long long nbr_frames) const noexcept
{
    const long long data_size = nbr_frames * _frame_size;
    // The samples' chunk is padded to an even size.
    return _header_size + data_size + (data_size & 1);
}

bool WavWriter::check_size(long long nbr_frames, std::string& error) const
{
    const long long size = get_file_size(nbr_frames);
    if (size <= MAX_FILE_SIZE) {
        return true;
    }
    error = "the output would be " + std::to_string(size) + " bytes; a WAV file holds at most " +
            std::to_string(MAX_FILE_SIZE);
    return false;
}

bool WavWriter::write(const float* const* chn, long nbr_frames)
{
    if (_file == nullptr || _failed) {
        return false;
    }
    if (nbr_frames > 0) {
        if (!check_size(_nbr_frames + nbr_frames, _error)) {
            _failed = true;
            return false;
        }
        // Memory running out fails the file as any encoding failure does.
        try {
            _failed = _format == SampleFormat::FLOAT ? !write_float(chn, nbr_frames)
                                                     : !write_pcm(chn, nbr_frames);
        } catch (const std::bad_alloc&) {
            _failed = true;
        }
        _nbr_frames += nbr_frames;
        if (_failed) {
            _error = ENCODE_FAILED_0;
        }
    }
    return !_failed;
}

bool WavWriter::write_pcm(const float* const* chn, long nbr_frames)
{
    // Encoded where the bytes go: the encoder's write finds them in place.
    const auto nbr_bytes =
        static_cast<std::size_t>(nbr_frames) * static_cast<std::size_t>(_frame_size);
    unsigned char* room = _image.make_room(static_cast<std::size_t>(_pos), nbr_bytes);
    SampleCodec::encode_pcm(_format, chn, _nbr_chn, nbr_frames, room);
    return sf_write_raw(_file, room, static_cast<sf_count_t>(nbr_bytes)) ==
           static_cast<sf_count_t>(nbr_bytes);
}

bool WavWriter::write_float(const float* const* chn, long nbr_frames)
{
    // The encoder writes float samples itself.
    _interleaved.resize(static_cast<std::size_t>(std::min(nbr_frames, FLOAT_STRIP) * _nbr_chn));
    for (long pos = 0; pos < nbr_frames; pos += FLOAT_STRIP) {
        const long nbr = std::min(FLOAT_STRIP, nbr_frames - pos);
        const float* const from[SampleCodec::MAX_CHN] = {chn[0] + pos, chn[_nbr_chn - 1] + pos};
        SampleCodec::interleave(from, _nbr_chn, nbr, _interleaved.data());
        if (sf_writef_float(_file, _interleaved.data(), nbr) != nbr) {
            return false;
        }
    }
    return true;
}

bool WavWriter::finish()
{
    if (_file != nullptr) {
        if (sf_close(_file) != 0) {
            _failed = true;
        }
        _file = nullptr;
    }
    return !_failed;
}

bool WavWriter::finish(std::string& error)
{
    if (finish()) {
        return true;
    }
    error = _error.empty() ? ENCODE_FAILED_0 : _error;
    return false;
}

bool WavWriter::save(const std::string& path, std::string& error)
{
    if (!finish(error)) {
        return false;
    }
    const std::string_view bytes(reinterpret_cast<const char*>(_image.data()), _image.size());
    std::string reason;
    if (basic::AtomicFileWriter::write_file(path, bytes, reason, posix::remove_on_signal) !=
        basic::AtomicFileWriter::Result::OK) {
        error = "cannot write output file '" + path + "': " + reason;
        return false;
    }
    return true;
}

bool WavWriter::send(posix::StandardOutput& out, std::string& error)
{
    if (!finish(error)) {
        return false;
    }
    std::string reason;
    if (!out.write(_image.data(), _image.size(), reason)) {
        error = "cannot write to the standard output: " + reason;
        return false;
    }
    return true;
}

} // namespace host::offline
