#pragma once

#include "lib/tnw/sys/UtcTime.h"

#include <string>

namespace tnw::util {

// The description of one file-system object as it was when read: name,
// dates, size and flags. Any thread; a value type with no shared state.
class FileDescriptor
{
public:
    enum Flag : int
    {
        FLAG_DIRECTORY = 1 << 0,
        FLAG_READ_ONLY = 1 << 1,
        FLAG_HIDDEN = 1 << 2,
        FLAG_SYSTEM = 1 << 3
    };

    // No name, invalid dates, size 0, no flags.
    FileDescriptor() = default;
    // flags: a set of Flag bits (make_flags).
    FileDescriptor(std::string name, const sys::UtcTime& creation_date,
                   const sys::UtcTime& modification_date, long long length, int flags);
    FileDescriptor(const FileDescriptor& other) = default;
    FileDescriptor& operator=(const FileDescriptor& other) = default;
    virtual ~FileDescriptor() = default;

    [[nodiscard]] static constexpr int make_flags(bool directory, bool read_only, bool hidden,
                                                  bool system) noexcept
    {
        return (directory ? FLAG_DIRECTORY : 0) | (read_only ? FLAG_READ_ONLY : 0) |
               (hidden ? FLAG_HIDDEN : 0) | (system ? FLAG_SYSTEM : 0);
    }

    [[nodiscard]] const std::string& get_name() const noexcept { return _name; }
    [[nodiscard]] const sys::UtcTime& get_creation_date() const noexcept { return _creation_date; }
    [[nodiscard]] const sys::UtcTime& get_modification_date() const noexcept
    {
        return _modification_date;
    }
    [[nodiscard]] long long get_length() const noexcept { return _length; }
    [[nodiscard]] bool is_directory() const noexcept { return _directory_flag; }
    [[nodiscard]] bool is_read_only() const noexcept { return _read_only_flag; }
    [[nodiscard]] bool is_hidden() const noexcept { return _hidden_flag; }
    [[nodiscard]] bool is_system() const noexcept { return _system_flag; }

private:
    std::string _name;
    sys::UtcTime _creation_date;
    sys::UtcTime _modification_date;
    long long _length = 0;
    bool _directory_flag = false;
    bool _read_only_flag = false;
    bool _hidden_flag = false;
    bool _system_flag = false;
};

} // namespace tnw::util
