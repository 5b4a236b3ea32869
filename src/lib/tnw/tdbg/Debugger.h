#pragma once

namespace tnw::tdbg {

// Severity of a debug log record.
class Debugger
{
public:
    enum Level : int
    {
        OOPS = 0,
        PANIC = 1,
        ERROR = 2,
        WARNING = 3,
        INFO = 4,
        DEBUG = 5,
        ASSERT = 6
    };

    Debugger() = delete;

    // Any thread. The printed name: "OOPS", "PANIC", "ERROR", "WARNING",
    // "INFO", "DEBUG" or "ASSERT"; any other value prints as "OOPS".
    [[nodiscard]] static const char* get_level_name(int level) noexcept;
};

} // namespace tnw::tdbg
