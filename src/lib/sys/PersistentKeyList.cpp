#include "lib/sys/PersistentKeyList.h"

#include "lib/basic/AtomicFileWriter.h"
#include "lib/sys/KeyFileImage.h"
#include "lib/sys/posix/FileLock.h"
#include "lib/tnw/sys/posix/LogFileOps.h"
#include "lib/tnw/sys/posix/RegularFile.h"
#include "lib/tnw/sys/posix/UserFolder.h"

#include <algorithm>
#include <stdexcept>
#include <string_view>
#include <vector>

namespace sys {

namespace {

using tnw::sys::posix::ReadFileResult;

// ASCII only: the stored names must not depend on the locale of the host process.
std::string to_key_name(std::string text)
{
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z') {
            c = char(c - 'A' + 'a');
        }
    }
    return text;
}

[[noreturn]] void throw_set_key(const char* message)
{
    throw std::runtime_error(std::string("sys::PersistentKeyList::set_key() : ") + message);
}

// The path's components joined under base, or an empty text for an invalid path.
std::string join_components(const std::string& base, const std::string& path)
{
    std::string folder = base;
    std::size_t start = 0;
    while (start <= path.size()) {
        const std::size_t end = std::min(path.find('/', start), path.size());
        const std::string_view part = std::string_view(path).substr(start, end - start);
        if (part == "." || part == ".." || part.find('\0') != std::string_view::npos) {
            return {};
        }
        if (!part.empty()) {
            folder += '/';
            folder += part;
        }
        start = end + 1;
    }
    return folder;
}

std::vector<key_file::Entry>::iterator find_entry(key_file::EntryList& entries,
                                                  const std::string& name)
{
    return std::find_if(entries.begin(), entries.end(), [&name](const key_file::Entry& entry) {
        return to_key_name(entry.first) == name;
    });
}

} // namespace

PersistentKeyList::PersistentKeyList(const std::string& path, bool /*create_flag*/) : _path(path)
{
}

PersistentKeyList::~PersistentKeyList() = default;

std::string PersistentKeyList::find_folder() const
{
    const std::string base =
        tnw::sys::posix::find_user_folder(tnw::sys::posix::UserFolder::PREFERENCES);
    return base.empty() ? std::string() : join_components(base, _path);
}

int PersistentKeyList::get_key(const std::string& key, std::string& value) const
{
    try {
        const std::string folder = find_folder();
        if (folder.empty()) {
            return -1;
        }
        std::string image;
        key_file::EntryList entries;
        if (tnw::sys::posix::read_regular_file(folder + "/" + KEY_FILE_NAME_0,
                                               key_file::MAX_IMAGE_SIZE,
                                               image) != ReadFileResult::OK ||
            !key_file::decode(image, entries)) {
            return -1;
        }
        const auto it = find_entry(entries, to_key_name(key));
        if (it == entries.end()) {
            return -1;
        }
        value = it->second;
        return 0;
    } catch (const std::exception&) {
        // Out of memory while reading: the key counts as missing.
        return -1;
    }
}

int PersistentKeyList::set_key(const std::string& key, const std::string& value)
{
    const std::string folder = find_folder();
    if (folder.empty()) {
        throw_set_key("No preference folder for this path.");
    }
    if (!tnw::sys::posix::make_folders(folder)) {
        throw_set_key("Cannot create the folder.");
    }
    posix::FileLock lock(folder + "/" + LOCK_FILE_NAME_0);
    if (!lock.is_locked()) {
        throw_set_key("Cannot lock the key file.");
    }
    const std::string file = folder + "/" + KEY_FILE_NAME_0;
    std::string image;
    key_file::EntryList entries;
    switch (tnw::sys::posix::read_regular_file(file, key_file::MAX_IMAGE_SIZE, image)) {
    case ReadFileResult::OK:
        // A damaged file holds nothing worth keeping: it is replaced.
        static_cast<void>(key_file::decode(image, entries));
        break;
    case ReadFileResult::MISSING:
    case ReadFileResult::TOO_LARGE:
        break;
    case ReadFileResult::OPEN_FAILED:
    case ReadFileResult::NOT_REGULAR:
    case ReadFileResult::READ_FAILED:
        // The keys in it may be sound: never overwrite what could not be read.
        throw_set_key("Cannot read the key file.");
    }
    const std::string name = to_key_name(key);
    if (const auto it = find_entry(entries, name); it != entries.end()) {
        it->first = name;
        it->second = value;
    } else {
        entries.emplace_back(name, value);
    }
    if (!key_file::encode(entries, image)) {
        throw_set_key("Key file too large.");
    }
    if (basic::AtomicFileWriter::write_file(file, image) != basic::AtomicFileWriter::Result::OK) {
        throw_set_key("Cannot write the key file.");
    }
    return 0;
}

} // namespace sys
