// Preloaded into a program under test (LD_PRELOAD): the program stops itself
// (SIGSTOP) at its first write to the file named in STOP_AT_SAVE_OF, or to
// that file's hidden temporary file (a name of the form ".NAME.*.tmp"), before
// the bytes go. A test that waits for the stop then finds the program in the
// middle of saving the file, however fast or slowly the program runs.

#include <atomic>
#include <csignal>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <unistd.h>

namespace {

bool is_saved_file(int fd)
{
    const char* target = std::getenv("STOP_AT_SAVE_OF");
    char link[64];
    std::snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
    char path[4096];
    const ssize_t size = target == nullptr ? -1 : ::readlink(link, path, sizeof path - 1);
    if (size < 0) {
        return false;
    }
    path[size] = '\0';
    const char* slash = std::strrchr(path, '/');
    const char* name = slash == nullptr ? path : slash + 1;
    const std::size_t target_size = std::strlen(target);
    const bool temporary = name[0] == '.' && std::strncmp(name + 1, target, target_size) == 0 &&
                           name[1 + target_size] == '.' &&
                           std::strlen(name) > target_size + 6 &&
                           std::strcmp(path + size - 4, ".tmp") == 0;
    return temporary || std::strcmp(name, target) == 0;
}

} // namespace

extern "C" ssize_t write(int fd, const void* data, size_t size)
{
    using Write = ssize_t (*)(int, const void*, size_t);
    static const auto next_write = reinterpret_cast<Write>(::dlsym(RTLD_NEXT, "write"));
    static std::atomic<bool> stopped{false};
    if (!stopped.load() && is_saved_file(fd) && !stopped.exchange(true)) {
        static_cast<void>(::raise(SIGSTOP));
    }
    return next_write(fd, data, size);
}
