#pragma once

#include <cstdint>

namespace tnw::txt::out {

// The parsed options of one placeholder of a format text ("%1m6rw0%" gives a
// maximum length of 6, right justification and '0' as fill character).
// Any thread; a value type used by one thread at a time, allocates nothing.
class FmtInfo
{
public:
    enum JustifyMode : std::int32_t
    {
        JUSTIFY_NONE = 0,
        JUSTIFY_RIGHT = 1,
        JUSTIFY_CENTRE = 2,
        JUSTIFY_LEFT = 3 // text first, fill after
    };
    enum FloatMode : std::int32_t
    {
        FLOAT_MODE_GENERAL = 0,
        FLOAT_MODE_FIXED = 1,
        FLOAT_MODE_EXPONENT = 2
    };
    enum CaseMode : std::int32_t
    {
        CASE_UNCHANGED = 0,
        CASE_UPPER = 1,
        CASE_LOWER = 2
    };
    enum SignMode : std::int32_t
    {
        SIGN_NEGATIVE_ONLY = 0,
        SIGN_SPACE = 1,
        SIGN_PLUS = 2
    };

    // Means "no maximum length".
    static constexpr std::int64_t NO_MAX_LEN = INT64_MAX;

    // Reading position within the option characters of one placeholder.
    class ParserState
    {
    public:
        const char* _opt = nullptr;
        std::int64_t _len = 0;
        const long* _extra = nullptr;
        std::int64_t _nbr_extra = 0;
        std::int32_t _error = 0;
        std::int32_t _next_extra = 0;
        std::int64_t _pos = 0;

        [[nodiscard]] bool is_end() const noexcept { return _pos >= _len; }
        [[nodiscard]] char peek() const noexcept { return _opt[_pos]; }
        [[nodiscard]] bool starts_number() const noexcept;
        // Reads a number (digits, '!' or '$' forms); sets _error and returns 0
        // when there is none or it is malformed.
        [[nodiscard]] long read_number() noexcept;

    private:
        [[nodiscard]] long read_digits() noexcept;
    };

    FmtInfo() = default;
    virtual ~FmtInfo() = default;
    FmtInfo(const FmtInfo&) = default;
    FmtInfo& operator=(const FmtInfo&) = default;

    // Reads the option characters opt[0 .. len-1]; extra holds the nbr_extra
    // values that '!' and '$' refer to. Returns 0, or -1 on a parse error
    // (options read before the error stay set).
    [[nodiscard]] int parse_options(const char* opt, long len, const long* extra,
                                    long nbr_extra) noexcept;

    [[nodiscard]] std::int64_t get_max_len() const noexcept { return _max_len; }
    [[nodiscard]] bool has_max_len() const noexcept { return _max_len != NO_MAX_LEN; }
    [[nodiscard]] int get_base() const noexcept { return _base; }
    [[nodiscard]] int get_nbr_decimals() const noexcept { return _nbr_decimals; }
    [[nodiscard]] int get_group_size() const noexcept { return _group_size; }
    [[nodiscard]] int get_exp_size() const noexcept { return _exp_size; }
    [[nodiscard]] JustifyMode get_justify_mode() const noexcept { return _justify_mode; }
    [[nodiscard]] FloatMode get_float_mode() const noexcept { return _float_mode; }
    [[nodiscard]] CaseMode get_case_mode() const noexcept { return _case_mode; }
    [[nodiscard]] SignMode get_sign_mode() const noexcept { return _sign_mode; }
    [[nodiscard]] char get_whitespace() const noexcept { return _whitespace; }
    [[nodiscard]] bool has_zero_trail() const noexcept { return _zero_trail_flag; }
    [[nodiscard]] bool is_truncated() const noexcept { return _truncate_flag; }

private:
    [[nodiscard]] int parse_one(char c, ParserState& state) noexcept;
    void set_flag(char c) noexcept;
    [[nodiscard]] static bool read_count(ParserState& state, std::int32_t& count) noexcept;
    static void read_optional_count(ParserState& state, std::int32_t& count) noexcept;

    std::int64_t _max_len = NO_MAX_LEN;
    std::int32_t _base = 10;
    std::int32_t _nbr_decimals = 6;
    std::int32_t _group_size = 0;
    std::int32_t _exp_size = 0;
    JustifyMode _justify_mode = JUSTIFY_NONE;
    FloatMode _float_mode = FLOAT_MODE_GENERAL;
    CaseMode _case_mode = CASE_UNCHANGED;
    SignMode _sign_mode = SIGN_NEGATIVE_ONLY;
    char _whitespace = ' ';
    bool _zero_trail_flag = false;
    bool _truncate_flag = false;
};

} // namespace tnw::txt::out
