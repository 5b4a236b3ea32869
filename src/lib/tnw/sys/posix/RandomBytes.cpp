#include "lib/tnw/sys/posix/RandomBytes.h"

#include <cerrno>
#include <sys/random.h>

namespace tnw::sys::posix {

int fill_random_bytes(unsigned char* bytes, std::size_t count) noexcept
{
    std::size_t done = 0;
    while (done < count) {
        const ssize_t got = ::getrandom(bytes + done, count - done, 0);
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            return errno;
        }
        done += static_cast<std::size_t>(got);
    }
    return 0;
}

} // namespace tnw::sys::posix
