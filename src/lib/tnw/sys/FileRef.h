#pragma once

#include "lib/tnw/mem/SharedPtr.h"

#include <memory>
#include <string>
#include <vector>

namespace tnw::util {
class FileDescriptor;
}

namespace tnw::sys {

class FileRefImpl;

// One object of the file system (file or folder). On this system its
// identity is its absolute path, every folder above resolved: a reference
// made from a path names the object the links lead to, a listed child the
// child itself (a link stays a link). The description (name, dates, size,
// flags) is read on first use and kept until update_info().
// One thread at a time per object (shared between threads through
// FileRefSPtr); may allocate and block in the file system.
class FileRef
{
public:
    explicit FileRef(const FileRefImpl& impl);
    FileRef(const FileRef& other);
    // Assigning a reference to itself changes nothing.
    FileRef& operator=(const FileRef& other);
    virtual ~FileRef();

    // The description's flags and name. Where it cannot be read (logged):
    // the last one read, or an empty one (no name, no flags).
    [[nodiscard]] bool is_directory() const;
    [[nodiscard]] bool is_hidden() const;
    [[nodiscard]] bool is_read_only() const;
    [[nodiscard]] const std::string& get_name() const;
    [[nodiscard]] const util::FileDescriptor& get_info() const;
    // Reads the description again at once.
    void update_info();

    // The object's absolute path. Throws std::runtime_error when there is none.
    [[nodiscard]] std::string to_utf8_path() const;
    // Replaces data with the stored form of the reference (the path's UTF-8
    // bytes), which FileRefFactory::load turns back into it. Leaves data
    // empty, logged, when the object is gone.
    void save(std::vector<unsigned char>& data) const;
    [[nodiscard]] const std::string& get_fs_ref() const noexcept;

    // Byte order of the stored forms.
    [[nodiscard]] bool operator==(const FileRef& other) const noexcept;
    [[nodiscard]] bool operator!=(const FileRef& other) const noexcept;
    [[nodiscard]] bool operator<(const FileRef& other) const noexcept;

private:
    std::unique_ptr<FileRefImpl> _impl_uptr;
};

// Empty when a maker fails.
using FileRefSPtr = mem::SharedPtr<FileRef>;

} // namespace tnw::sys
