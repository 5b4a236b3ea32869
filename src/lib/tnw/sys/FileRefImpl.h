#pragma once

#include "lib/tnw/util/FileDescriptor.h"

#include <memory>
#include <string>

namespace tnw::sys {

// The platform part of a file reference: the object's absolute path (its
// identity on this system) and the description built from it on first use.
// One thread at a time; may allocate and block in the file system.
class FileRefImpl
{
public:
    // fs_ref: an absolute path naming the object.
    explicit FileRefImpl(std::string fs_ref);
    FileRefImpl(const FileRefImpl& other) = delete;
    FileRefImpl& operator=(const FileRefImpl& other) = delete;
    virtual ~FileRefImpl() = default;

    // The same object, its description still to be built.
    [[nodiscard]] std::unique_ptr<FileRefImpl> clone() const;

    [[nodiscard]] const std::string& get_fs_ref() const noexcept { return _fs_ref; }

    // The description, read first when marked dirty (once: a failure is
    // logged and clears the mark too). Where it could not be read, the last
    // one read, or an empty one before any.
    [[nodiscard]] const util::FileDescriptor& use_info();
    void set_dirty() noexcept { _info_dirty = true; }

    // The path to open the object with. Throws std::runtime_error when there
    // is none.
    [[nodiscard]] std::string conv_to_fopen() const;

private:
    void update();

    std::string _fs_ref;
    std::unique_ptr<util::FileDescriptor> _info_uptr;
    bool _info_dirty = true;
};

} // namespace tnw::sys
