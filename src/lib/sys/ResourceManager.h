#pragma once

#include "lib/tnw/sys/Mutex.h"
#include "lib/tnw/util/SingletonBase.h"

#include <map>
#include <string>
#include <vector>

namespace sys {

// The plug-in's resources, one file each in the resource folder: the
// resource "name" of type "type" is the file "name.type", except that type
// "apic2" is read from "name.apic" and "wave" from "name.wav". A resource is
// read whole on its first look-up and kept: the pointer handed out stays
// valid, with the same bytes, for the manager's lifetime (the process),
// also after the folder changes.
//
// Any thread; look-ups and the folder share one lock and may allocate. The
// folder is set at start-up; until then every look-up fails.
class ResourceManager : private tnw::util::SingletonBase<ResourceManager>
{
public:
    // The largest resource read.
    static constexpr long MAX_SIZE = 64L << 20;

    ~ResourceManager() override = default;

    [[nodiscard]] static ResourceManager& use_instance();

    // The folder later look-ups read from; an empty text reads nothing.
    void set_folder(const std::string& folder);
    [[nodiscard]] std::string get_folder() const;

    // The bytes of the resource and their number, or null (size untouched)
    // when the resource is missing, is no regular file, is larger than
    // MAX_SIZE or cannot be read whole, and for a type or name that is empty
    // or holds a '/'.
    [[nodiscard]] const void* find(const char* type, const char* name, long& size);

    // The file name a resource is read from.
    [[nodiscard]] static std::string make_file_name(const char* type, const char* name);

private:
    friend class tnw::util::SingletonBase<ResourceManager>;

    ResourceManager() = default;

    [[nodiscard]] static bool read_file(const std::string& path, std::vector<unsigned char>& data);

    mutable tnw::sys::Mutex _mutex;
    std::string _folder;
    // By full path; entries are never removed or changed, so their bytes
    // stay where they are.
    std::map<std::string, std::vector<unsigned char>> _cache;
};

// Any thread. ResourceManager::use_instance().find(type, name, size).
[[nodiscard]] const void* get_resource(const char* type, const char* name, long& size);

} // namespace sys
