#include "lib/sys/ResourceManager.h"

#include "lib/tnw/sys/CritSec.h"

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <system_error>

namespace sys {

namespace {

// A text that can stand in a file name of the resource folder.
bool is_plain_text(const char* text)
{
    return text != nullptr && text[0] != '\0' && std::strchr(text, '/') == nullptr;
}

} // namespace

ResourceManager& ResourceManager::use_instance()
{
    return tnw::util::SingletonBase<ResourceManager>::use_instance();
}

void ResourceManager::set_folder(const std::string& folder)
{
    tnw::sys::CritSec lock(_mutex, true);
    _folder = folder;
}

std::string ResourceManager::get_folder() const
{
    tnw::sys::CritSec lock(_mutex, true);
    return _folder;
}

std::string ResourceManager::make_file_name(const char* type, const char* name)
{
    std::string ext = type;
    if (ext == "apic2") {
        ext = "apic";
    } else if (ext == "wave") {
        ext = "wav";
    }
    return std::string(name) + "." + ext;
}

bool ResourceManager::read_file(const std::string& path, std::vector<unsigned char>& data)
{
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) {
        return false;
    }
    const std::uintmax_t size = std::filesystem::file_size(path, ec);
    if (ec || size > static_cast<std::uintmax_t>(MAX_SIZE)) {
        return false;
    }
    std::ifstream in(path, std::ios::binary);
    data.resize(static_cast<std::size_t>(size));
    in.read(reinterpret_cast<char*>(data.data()), static_cast<std::streamsize>(size));
    // The file must have held exactly the bytes its size told.
    return in.gcount() == static_cast<std::streamsize>(size) && in.peek() == EOF;
}

const void* ResourceManager::find(const char* type, const char* name, long& size)
{
    if (!is_plain_text(type) || !is_plain_text(name)) {
        return nullptr;
    }
    tnw::sys::CritSec lock(_mutex, true);
    if (_folder.empty()) {
        return nullptr;
    }
    const std::string path = _folder + "/" + make_file_name(type, name);
    auto it = _cache.find(path);
    if (it == _cache.end()) {
        std::vector<unsigned char> data;
        if (!read_file(path, data)) {
            return nullptr;
        }
        it = _cache.emplace(path, std::move(data)).first;
    }
    size = static_cast<long>(it->second.size());
    // An empty resource still gets a valid, unique address.
    return it->second.empty() ? static_cast<const void*>(&it->second) : it->second.data();
}

const void* get_resource(const char* type, const char* name, long& size)
{
    return ResourceManager::use_instance().find(type, name, size);
}

} // namespace sys
