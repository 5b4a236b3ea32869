#include "lib/basic/AtomicFileWriter.h"

#include <atomic>
#include <cstdint>
#include <random>
#include <system_error>

namespace basic {

namespace {

// Attempts at finding a temporary name that is not taken.
constexpr int MAX_NAME_ATTEMPTS = 16;

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

} // namespace

AtomicFileWriter::AtomicFileWriter(const std::string& target_path) : _target(target_path) {}

AtomicFileWriter::~AtomicFileWriter()
{
    discard();
}

AtomicFileWriter::Result AtomicFileWriter::open()
{
    discard();
    _failed = false;
    if (!check_target()) {
        return Result::OPEN_FAILED;
    }
    const std::string name = _target.filename().string();
    if (name.empty()) {
        return Result::OPEN_FAILED;
    }
    for (int attempt = 0; attempt < MAX_NAME_ATTEMPTS; ++attempt) {
        const auto temp = _target.parent_path() / ("." + name + "." + unique_suffix() + ".tmp");
        // "x": created here and now, never an existing file of someone else.
        _file = std::fopen(temp.c_str(), "wbx");
        if (_file != nullptr) {
            _temp = temp;
            return Result::OK;
        }
        std::error_code ec;
        if (!std::filesystem::exists(temp, ec)) {
            break; // not a name clash: the folder refuses new files
        }
    }
    return Result::OPEN_FAILED;
}

bool AtomicFileWriter::check_target()
{
    std::error_code ec;
    if (std::filesystem::is_symlink(_target, ec)) {
        // A link that leads nowhere is replaced like a missing file.
        auto real = std::filesystem::canonical(_target, ec);
        if (!ec) {
            _target = std::move(real);
        }
    }
    _target_perms = std::filesystem::perms::unknown;
    const auto status = std::filesystem::status(_target, ec);
    if (!std::filesystem::exists(status)) {
        return true;
    }
    // Opening for update neither changes the file nor its times; it fails for a folder and
    // for a file this process may not write.
    std::FILE* probe = std::fopen(_target.c_str(), "r+b");
    if (probe == nullptr) {
        return false;
    }
    static_cast<void>(std::fclose(probe)); // nothing was written through it
    _target_perms = status.permissions();
    return true;
}

AtomicFileWriter::Result AtomicFileWriter::write(const void* data, std::size_t size)
{
    if (_file == nullptr || _failed) {
        return Result::WRITE_FAILED;
    }
    if (size > 0 && std::fwrite(data, 1, size, _file) != size) {
        _failed = true;
        return Result::WRITE_FAILED;
    }
    return Result::OK;
}

AtomicFileWriter::Result AtomicFileWriter::commit()
{
    if (_file == nullptr || _failed) {
        discard();
        return Result::WRITE_FAILED;
    }
    // A full disk may only show when the buffered bytes go out, or even at close.
    const bool flushed = std::fflush(_file) == 0 && std::ferror(_file) == 0;
    const bool closed = std::fclose(_file) == 0;
    _file = nullptr;
    std::error_code ec;
    if (flushed && closed) {
        if (_target_perms != std::filesystem::perms::unknown) {
            // A failure leaves the temporary file's own permissions: the bytes still count.
            std::filesystem::permissions(_temp, _target_perms, ec);
        }
        std::filesystem::rename(_temp, _target, ec);
        if (!ec) {
            _temp.clear();
            return Result::OK;
        }
    }
    discard();
    return Result::WRITE_FAILED;
}

void AtomicFileWriter::discard() noexcept
{
    if (_file != nullptr) {
        static_cast<void>(std::fclose(_file));
        _file = nullptr;
    }
    if (!_temp.empty()) {
        std::error_code ec;
        std::filesystem::remove(_temp, ec);
        _temp.clear();
    }
}

AtomicFileWriter::Result AtomicFileWriter::write_file(const std::string& target_path,
                                                      std::string_view bytes)
{
    AtomicFileWriter writer(target_path);
    if (const Result result = writer.open(); result != Result::OK) {
        return result;
    }
    if (const Result result = writer.write(bytes.data(), bytes.size()); result != Result::OK) {
        return result;
    }
    return writer.commit();
}

} // namespace basic
