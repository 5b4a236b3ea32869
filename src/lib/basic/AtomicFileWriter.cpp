#include "lib/basic/AtomicFileWriter.h"

#include "lib/tnw/sys/posix/ErrorText.h"

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <random>
#include <system_error>

namespace basic {

namespace {

namespace posix = tnw::sys::posix;

// Attempts at finding a temporary name that is not taken.
constexpr int MAX_NAME_ATTEMPTS = 16;
// Links followed before the chain counts as a loop (the system's own limit).
constexpr int MAX_LINK_HOPS = 40;
// Longest file name the usual file systems take, in bytes.
constexpr std::size_t MAX_NAME_BYTES = 255;
// What a temporary name adds to the target's: "." before it, "." + 16 digits + ".tmp" after.
constexpr std::size_t TEMP_NAME_EXTRA = 22;

// A suffix that differs between calls and between processes writing into the same folder.
std::string unique_suffix()
{
    static std::atomic<std::uint64_t> counter{0};
    static const std::uint64_t seed = [] {
        std::random_device device;
        return (std::uint64_t(device()) << 32) ^ device();
    }();
    // Relaxed: only the uniqueness of the counter value matters, nothing is published by it.
    const std::uint64_t value =
        seed + 0x9E3779B97F4A7C15ULL * (counter.fetch_add(1, std::memory_order_relaxed) + 1);
    static constexpr char HEX[] = "0123456789abcdef";
    std::string suffix(16, '0');
    for (int i = 0; i < 16; ++i) {
        suffix[size_t(i)] = HEX[(value >> (4 * i)) & 0xF];
    }
    return suffix;
}

// A hidden name beside the target's that stays within the name limit: a long name is cut,
// between two UTF-8 characters, never inside one.
std::string temp_name(const std::string& name)
{
    std::size_t keep = std::min(name.size(), MAX_NAME_BYTES - TEMP_NAME_EXTRA);
    while (keep > 0 && keep < name.size() &&
           (static_cast<unsigned char>(name[keep]) & 0xC0) == 0x80) {
        --keep;
    }
    std::string temp(1, '.');
    temp.append(name, 0, keep).append(1, '.').append(unique_suffix()).append(".tmp");
    return temp;
}

} // namespace

AtomicFileWriter::AtomicFileWriter(const std::string& target_path) : _target(target_path) {}

AtomicFileWriter::~AtomicFileWriter()
{
    discard();
}

AtomicFileWriter::Result AtomicFileWriter::open()
{
    return prepare(false, std::nullopt);
}

AtomicFileWriter::Result AtomicFileWriter::open(std::uint64_t size)
{
    return prepare(false, size);
}

AtomicFileWriter::Result AtomicFileWriter::check()
{
    const Result result = prepare(true, std::nullopt);
    discard();
    return result;
}

AtomicFileWriter::Result AtomicFileWriter::prepare(bool probe, std::optional<std::uint64_t> size)
{
    discard();
    _failed = false;
    _in_place = false;
    _error = 0;
    posix::FileStatus status;
    // A descriptor's link to a pipe (/dev/stdout, /proc/self/fd/N) reads as a link to a name
    // that is nowhere: only the system can follow it.
    if (posix::get_file_status(_target.string(), status) && status.exists && !status.regular) {
        return open_in_place(probe, status, size);
    }
    if (!resolve_target()) {
        return Result::OPEN_FAILED;
    }
    if (_target.filename().empty()) {
        return fail(Result::OPEN_FAILED, int(std::errc::is_a_directory));
    }
    if (!posix::get_file_status(_target.string(), status)) {
        return fail(Result::OPEN_FAILED, status.error);
    }
    if (status.exists && (!status.regular || status.nbr_links > 1)) {
        // A replacement would be a plain file of its own.
        return open_in_place(probe, status, size);
    }
    if (int error = 0; status.exists && !RawFile::can_write(_target.string(), error)) {
        return fail(Result::OPEN_FAILED, error);
    }
    // Until the rename the temporary file is never more open than the target; a new file
    // stays owner-only and then gets what any new file gets.
    _final_mode = status.exists ? status.mode : posix::get_new_file_mode();
    const unsigned temp_mode =
        status.exists ? (status.mode & posix::PERMISSION_BITS) : posix::OWNER_ONLY_MODE;
    switch (create_temp(temp_mode)) {
    case RawFile::CreateResult::OK:
        if (!status.exists || _file.set_owner(status.owner, status.group)) {
            return Result::OK;
        }
        discard(); // written in place, the file keeps its owner and group
        return open_in_place(probe, status, size);
    case RawFile::CreateResult::FOLDER_REFUSES:
        return open_in_place(probe, status, size);
    case RawFile::CreateResult::NAME_TAKEN:
        return fail(Result::OPEN_FAILED, int(std::errc::file_exists));
    case RawFile::CreateResult::FAILED:
        break;
    }
    return fail(Result::OPEN_FAILED, _file.get_error());
}

bool AtomicFileWriter::resolve_target()
{
    std::error_code ec;
    for (int hop = 0; std::filesystem::is_symlink(std::filesystem::symlink_status(_target, ec));
         ++hop) {
        if (hop == MAX_LINK_HOPS) {
            _error = int(std::errc::too_many_symbolic_link_levels);
            return false;
        }
        const std::filesystem::path next = std::filesystem::read_symlink(_target, ec);
        if (ec) {
            _error = ec.value();
            return false;
        }
        // A relative link is read from the link's folder; an absolute one replaces the path.
        _target = _target.parent_path() / next;
    }
    return true;
}

tnw::sys::posix::RawFile::CreateResult AtomicFileWriter::create_temp(unsigned mode)
{
    const std::string name = _target.filename().string();
    for (int attempt = 0; attempt < MAX_NAME_ATTEMPTS; ++attempt) {
        const auto temp = _target.parent_path() / temp_name(name);
        const RawFile::CreateResult result = create_watched(temp, mode);
        if (result == RawFile::CreateResult::OK) {
            _temp = temp;
        }
        if (result != RawFile::CreateResult::NAME_TAKEN) {
            return result;
        }
    }
    return RawFile::CreateResult::NAME_TAKEN;
}

tnw::sys::posix::RawFile::CreateResult
AtomicFileWriter::create_watched(const std::filesystem::path& path, unsigned mode)
{
    // Told first: a signal may come as soon as the file is there.
    tell_watch(path.c_str());
    const RawFile::CreateResult result = _file.create_new(path.string(), mode);
    if (result != RawFile::CreateResult::OK) {
        tell_watch(nullptr);
    }
    return result;
}

void AtomicFileWriter::remove_watched(const std::filesystem::path& path) noexcept
{
    std::error_code ec;
    std::filesystem::remove(path, ec);
    tell_watch(nullptr);
}

AtomicFileWriter::Result AtomicFileWriter::open_in_place(bool probe,
                                                         const posix::FileStatus& status,
                                                         std::optional<std::uint64_t> size)
{
    if (!probe) {
        // A signal that ends the process meanwhile would leave a file half old, half new: it
        // waits until the file is closed. Not so for a pipe or device, which keeps no old
        // bytes and whose reader may never take the new ones.
        if (!status.exists || status.regular) {
            _signal_hold.hold();
        }
        if (!(size ? _file.open_in_place(_target.string(), *size)
                   : _file.open_in_place(_target.string()))) {
            _signal_hold.release();
            return fail(Result::OPEN_FAILED, _file.get_error());
        }
        _in_place = true;
        return Result::OK;
    }
    if (status.folder) {
        return fail(Result::OPEN_FAILED, int(std::errc::is_a_directory));
    }
    if (status.exists) {
        int error = 0;
        return !status.regular || RawFile::can_write(_target.string(), error)
                   ? Result::OK
                   : fail(Result::OPEN_FAILED, error);
    }
    // A new file, made as open() would make it and removed again.
    switch (create_watched(_target, posix::OWNER_ONLY_MODE)) {
    case RawFile::CreateResult::OK:
        _file.close_quietly();
        remove_watched(_target);
        return Result::OK;
    case RawFile::CreateResult::NAME_TAKEN:
        return Result::OK; // made meanwhile by someone else: open() empties it
    case RawFile::CreateResult::FOLDER_REFUSES:
    case RawFile::CreateResult::FAILED:
        break;
    }
    return fail(Result::OPEN_FAILED, _file.get_error());
}

AtomicFileWriter::Result AtomicFileWriter::fail(Result result, int error) noexcept
{
    _error = error;
    return result;
}

AtomicFileWriter::Result AtomicFileWriter::write(const void* data, std::size_t size)
{
    if (!_file.is_open() || _failed) {
        return _failed ? Result::WRITE_FAILED
                       : fail(Result::WRITE_FAILED, int(std::errc::bad_file_descriptor));
    }
    if (!_file.write_all(data, size)) {
        _failed = true;
        return fail(Result::WRITE_FAILED, _file.get_error());
    }
    return Result::OK;
}

AtomicFileWriter::Result AtomicFileWriter::commit()
{
    if (!_file.is_open() || _failed) {
        discard();
        return _failed ? Result::WRITE_FAILED
                       : fail(Result::WRITE_FAILED, int(std::errc::bad_file_descriptor));
    }
    if (_in_place) {
        // What is left of the previous bytes goes. A full disk may only show at close.
        const bool written = _file.end_here() && _file.close();
        const int error = _file.get_error();
        discard();
        return written ? Result::OK : fail(Result::WRITE_FAILED, error);
    }
    // A failure leaves the temporary file's own permissions: the bytes still count.
    static_cast<void>(_file.set_mode(_final_mode));
    int error = 0;
    if (_file.close()) {
        std::error_code ec;
        std::filesystem::rename(_temp, _target, ec);
        if (!ec) {
            _temp.clear();
            tell_watch(nullptr);
            return Result::OK;
        }
        error = ec.value();
    } else {
        error = _file.get_error();
    }
    discard();
    return fail(Result::WRITE_FAILED, error);
}

void AtomicFileWriter::discard() noexcept
{
    _file.close_quietly();
    _signal_hold.release();
    if (!_temp.empty()) {
        remove_watched(_temp);
        _temp.clear();
    }
}

std::string AtomicFileWriter::get_reason() const
{
    return _error == 0 ? std::string() : posix::describe_error(_error);
}

AtomicFileWriter::Result AtomicFileWriter::write_file(const std::string& target_path,
                                                      std::string_view bytes)
{
    std::string reason;
    return write_file(target_path, bytes, reason);
}

AtomicFileWriter::Result AtomicFileWriter::write_file(const std::string& target_path,
                                                      std::string_view bytes, std::string& reason,
                                                      FileWatch watch)
{
    AtomicFileWriter writer(target_path);
    writer.set_watch(watch);
    Result result = writer.open(bytes.size());
    if (result == Result::OK) {
        result = writer.write(bytes.data(), bytes.size());
    }
    if (result == Result::OK) {
        result = writer.commit();
    }
    reason = writer.get_reason();
    return result;
}

} // namespace basic
