#include "host/offline/WavReader.h"

#include "host/offline/SampleCodec.h"
#include "lib/tnw/sys/posix/RegularFile.h"

#include <sndfile.h>

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <system_error>

namespace host::offline {

namespace {

using tnw::sys::posix::ReadFileResult;
using tnw::sys::posix::RegularFile;

// Frames whose bytes are read at a time.
constexpr long RAW_FRAMES = 8192;
// The name the decoder reads as the standard input.
constexpr const char* STDIN_NAME_0 = "-";
// A RIFF file's own header ("RIFF" or "RIFX", size, "WAVE") and each chunk's
// (identifier, size).
constexpr long long RIFF_HEADER_SIZE = 12;
constexpr long long CHUNK_HEADER_SIZE = 8;
// Chunks looked through for the samples before the header counts as unknown.
constexpr int MAX_CHUNKS = 1000;
// The data size of a stream whose writer could not know its length: the
// largest a header can state.
constexpr long long NO_LENGTH_DATA_SIZE = 0xFFFFFFFF;

// Where the samples of a RIFF file start, the size its header gives them, and
// whether the bytes after the samples' chunk header read as a chunk header.
struct DataChunk
{
    long long offset = 0;
    long long size = 0;
    bool chunk_follows = false;
};

std::uint32_t get_u32(const unsigned char* bytes, bool big_endian) noexcept
{
    std::uint32_t value = 0;
    for (int k = 0; k < 4; ++k) {
        value |= std::uint32_t(bytes[k]) << (8 * (big_endian ? 3 - k : k));
    }
    return value;
}

// A chunk header: four printable characters and a size within `room` bytes.
bool is_chunk_header(const unsigned char* header, bool big_endian, long long room) noexcept
{
    const bool printable =
        std::all_of(header, header + 4, [](unsigned char c) { return c >= 0x20 && c <= 0x7E; });
    return printable && get_u32(header + 4, big_endian) <= room;
}

// Reads `size` bytes at `pos`; false where the file holds fewer.
bool read_exactly(RegularFile& file, long long pos, void* data, std::size_t size)
{
    std::size_t got = 0;
    return file.read_at(static_cast<unsigned long long>(pos), data, size, got) && got == size;
}

bool find_data_chunk(RegularFile& file, long long file_size, DataChunk& chunk)
{
    unsigned char header[RIFF_HEADER_SIZE];
    if (!read_exactly(file, 0, header, RIFF_HEADER_SIZE)) {
        return false;
    }
    const bool big_endian = std::memcmp(header, "RIFX", 4) == 0;
    if ((!big_endian && std::memcmp(header, "RIFF", 4) != 0) ||
        std::memcmp(header + 8, "WAVE", 4) != 0) {
        return false;
    }
    long long pos = RIFF_HEADER_SIZE;
    for (int k = 0; k < MAX_CHUNKS && pos + CHUNK_HEADER_SIZE <= file_size; ++k) {
        unsigned char chunk_header[CHUNK_HEADER_SIZE];
        if (!read_exactly(file, pos, chunk_header, CHUNK_HEADER_SIZE)) {
            return false;
        }
        const long long size = get_u32(chunk_header + 4, big_endian);
        if (std::memcmp(chunk_header, "data", 4) == 0) {
            chunk.offset = pos + CHUNK_HEADER_SIZE;
            chunk.size = size;
            const long long room = file_size - chunk.offset - CHUNK_HEADER_SIZE;
            chunk.chunk_follows =
                room >= 0 && read_exactly(file, chunk.offset, chunk_header, CHUNK_HEADER_SIZE) &&
                is_chunk_header(chunk_header, big_endian, room);
            return true;
        }
        // Chunks are padded to an even size.
        pos += CHUNK_HEADER_SIZE + size + (size & 1);
    }
    return false;
}

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
    _path = path;
    _length_known = false;
    _claim = HeaderClaim();
    _non_finite = SamplePos();
    _nbr_read = 0;
    SF_INFO info{};
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
    if (file == nullptr) {
        std::error_code ec;
        error = path != STDIN_NAME_0 && std::filesystem::is_directory(path, ec)
                    ? "input '" + path + "' is a folder"
                    : "cannot read input file '" + path + "': " + sf_strerror(nullptr);
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
        check_header();
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
        if (_format == SampleFormat::FLOAT && _non_finite.chn < 0) {
            if (const SamplePos bad = SampleCodec::find_non_finite(at, _nbr_chn, got);
                bad.chn >= 0) {
                _non_finite = {bad.chn, _nbr_read + done + bad.frame};
            }
        }
        done += got;
        if (got < want) {
            break;
        }
    }
    _nbr_read += done;
    // The decoder reads a stream no further than its header claims: fewer
    // frames there mean that the stream ended first.
    if (done < nbr_frames && !_length_known && _nbr_read < _nbr_frames) {
        _claim = {_nbr_frames, _nbr_read};
        _nbr_frames = _nbr_read;
    }
    return done;
}

void WavReader::check_header()
{
    // The standard input may be a regular file too (a redirection), which the decoder then
    // counts as it counts a file by name.
    RegularFile file;
    _length_known = (_path == STDIN_NAME_0 ? file.open_standard_input() : file.open(_path)) ==
                    ReadFileResult::OK;
    const long long frame_size = SampleCodec::get_sample_size(_format) * _nbr_chn;
    if (!_length_known) {
        // The decoder counts the whole frames of the data size.
        if (_nbr_frames == NO_LENGTH_DATA_SIZE / frame_size) {
            _nbr_frames = -1;
        }
        return;
    }
    const auto file_size = static_cast<long long>(file.get_size());
    DataChunk chunk;
    if (!find_data_chunk(file, file_size, chunk)) {
        return;
    }
    const long long claimed = chunk.size / frame_size;
    const long long found = (file_size - chunk.offset) / frame_size;
    // Samples past a data size of 0 are told apart from a chunk that follows
    // an empty file's samples.
    if (claimed > found || (claimed == 0 && found > 0 && !chunk.chunk_follows)) {
        _claim = {claimed, found};
    }
}

} // namespace host::offline
