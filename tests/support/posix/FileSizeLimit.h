#pragma once

#include <csignal>
#include <sys/resource.h>

namespace test_support {

// While it lives, files of this process cannot grow past the given size: a write beyond it
// fails as on a full disk (the signal that would end the process is ignored meanwhile).
// Restores the previous limit and signal handling when it goes. One thread at a time.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t max_bytes)
    {
        _old_handler = std::signal(SIGXFSZ, SIG_IGN);
        _active = getrlimit(RLIMIT_FSIZE, &_old_limit) == 0;
        if (_active) {
            rlimit limit = _old_limit;
            limit.rlim_cur = max_bytes;
            _active = setrlimit(RLIMIT_FSIZE, &limit) == 0;
        }
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;
    ~FileSizeLimit()
    {
        if (_active) {
            static_cast<void>(setrlimit(RLIMIT_FSIZE, &_old_limit));
        }
        static_cast<void>(std::signal(SIGXFSZ, _old_handler));
    }

    // False when the limit could not be set; the test then has nothing to show.
    [[nodiscard]] bool is_active() const { return _active; }

private:
    rlimit _old_limit{};
    void (*_old_handler)(int) = SIG_DFL;
    bool _active = false;
};

} // namespace test_support
