#pragma once

namespace tnw::util {

// One line of the log file writer's cache: a fixed-size record, so that
// caching a line allocates nothing. Copies copy every field.
class LogLine
{
public:
    // Longest text kept of a message or a scope.
    static constexpr long MAX_TXT_LEN = 1023;

    LogLine() = default;
    LogLine(const LogLine& other) = default;
    LogLine& operator=(const LogLine& other) = default;
    virtual ~LogLine() = default;

    // Stores the numbers and copies both texts, each cut to MAX_TXT_LEN
    // characters; a null text is stored as an empty one. No allocation.
    void set_log(long ord, double date, const char* msg, const char* scope, long line_nbr) noexcept;

    [[nodiscard]] long get_ord() const noexcept { return _ord; }
    [[nodiscard]] double get_date() const noexcept { return _date; }
    [[nodiscard]] const char* get_msg() const noexcept { return _msg; }
    [[nodiscard]] const char* get_scope() const noexcept { return _scope; }
    // 0 or less: the line has no source line number.
    [[nodiscard]] long get_line_nbr() const noexcept { return _line_nbr; }

private:
    char _scope[MAX_TXT_LEN + 1] = {};
    char _msg[MAX_TXT_LEN + 1] = {};
    double _date = -1.0;
    long _ord = -1;
    long _line_nbr = -1;
};

} // namespace tnw::util
