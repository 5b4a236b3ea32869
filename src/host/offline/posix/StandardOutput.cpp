#include "host/offline/posix/StandardOutput.h"

#include "lib/tnw/sys/posix/ErrorText.h"
#include "lib/tnw/sys/posix/RawFile.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <iostream>
#include <unistd.h>

namespace host::offline::posix {

namespace {

// What is buffered goes where it was meant to before the descriptor moves.
void flush_standard_output()
{
    std::cout.flush();
    (void)std::fflush(stdout);
}

} // namespace

StandardOutput::StandardOutput()
{
    flush_standard_output();
    _kept = ::fcntl(STDOUT_FILENO, F_DUPFD_CLOEXEC, 0);
    if (_kept >= 0 && ::dup2(STDERR_FILENO, STDOUT_FILENO) < 0) {
        (void)::close(_kept);
        _kept = -1;
    }
}

StandardOutput::~StandardOutput()
{
    if (_kept >= 0) {
        flush_standard_output();
        (void)::dup2(_kept, STDOUT_FILENO);
        (void)::close(_kept);
    }
}

bool StandardOutput::write(const void* data, std::size_t size, std::string& reason)
{
    tnw::sys::posix::RawFile file;
    if (_kept < 0) {
        reason = tnw::sys::posix::describe_error(EBADF);
        return false;
    }
    if (!file.open_duplicate(_kept) || !file.write_all(data, size) || !file.close()) {
        reason = tnw::sys::posix::describe_error(file.get_error());
        return false;
    }
    return true;
}

} // namespace host::offline::posix
