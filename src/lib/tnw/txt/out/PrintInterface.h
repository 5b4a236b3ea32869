#pragma once

#include "lib/tnw/txt/out/DevInterface.h"

#include <cstdint>
#include <typeinfo>

namespace tnw::txt::out {

// Formats a text with numbered placeholders ("%1%", "%2m6r%", "%%") and typed
// arguments: print(format), then one arg() per placeholder number; the text is
// produced when the argument for the highest number arrives. cat(format)
// appends a further message to the current output.
// Any thread; one object is used by one thread at a time. Formatting itself
// allocates nothing (the device may, and so does demangling a type name).
class PrintInterface : public DevInterface
{
public:
    static constexpr int MAX_NBR_ARGS = 64;
    static constexpr int NBR_EXTRA = 4;

    // One stored argument with its four extra option values ('!' and '$').
    class ArgInfo
    {
    public:
        enum Type : std::int32_t
        {
            TYPE_INT = 0,
            TYPE_FLOAT = 1,
            TYPE_STRING = 2,
            TYPE_TYPE_NAME = 3
        };
        union Value
        {
            std::int64_t _int;
            long double _flt;
            const char* _txt_0;
            const std::type_info* _type_ptr;
        };

        Type _type = TYPE_INT;
        Value _val = {0};
        long _extra[NBR_EXTRA] = {0, 0, 0, 0};
    };

    ~PrintInterface() override = default;

    PrintInterface& print(const char* format_0);
    PrintInterface& cat(const char* format_0);

    PrintInterface& arg(const int& val, long e1 = 0, long e2 = 0, long e3 = 0, long e4 = 0);
    PrintInterface& arg(const unsigned int& val, long e1 = 0, long e2 = 0, long e3 = 0,
                        long e4 = 0);
    PrintInterface& arg(const long& val, long e1 = 0, long e2 = 0, long e3 = 0, long e4 = 0);
    PrintInterface& arg(const long long& val, long e1 = 0, long e2 = 0, long e3 = 0, long e4 = 0);
    PrintInterface& arg(const unsigned long& val, long e1 = 0, long e2 = 0, long e3 = 0,
                        long e4 = 0);
    PrintInterface& arg(const unsigned long long& val, long e1 = 0, long e2 = 0, long e3 = 0,
                        long e4 = 0);
    PrintInterface& arg(const void* val, long e1 = 0, long e2 = 0, long e3 = 0, long e4 = 0);
    PrintInterface& arg(const double& val, long e1 = 0, long e2 = 0, long e3 = 0, long e4 = 0);
    PrintInterface& arg(const long double& val, long e1 = 0, long e2 = 0, long e3 = 0, long e4 = 0);
    PrintInterface& arg(const char* const& val_0, long e1 = 0, long e2 = 0, long e3 = 0,
                        long e4 = 0);
    PrintInterface& arg(const std::type_info& val, long e1 = 0, long e2 = 0, long e3 = 0,
                        long e4 = 0);

    // Forgets format, arguments and output.
    void reset();
    // True when the device had to drop characters.
    [[nodiscard]] bool is_truncated() const;
    // Length of the whole text, dropped characters included.
    [[nodiscard]] long get_string_len() const;

protected:
    PrintInterface() = default;
    PrintInterface(const PrintInterface&) = default;
    PrintInterface& operator=(const PrintInterface&) = default;

    virtual void do_reset() = 0;
    [[nodiscard]] virtual bool do_is_truncated() const = 0;
    [[nodiscard]] virtual long do_get_string_len() const = 0;

private:
    void start_message(const char* format_0, bool append_flag);
    PrintInterface& store_int(std::int64_t val, long e1, long e2, long e3, long e4);
    PrintInterface& store_arg(ArgInfo::Type type, const ArgInfo::Value& val, long e1, long e2,
                              long e3, long e4);
    void check_complete();
    void render();
    void render_placeholder(long nbr, const char* opt, long opt_len);
    void render_arg(const ArgInfo& info, const char* opt, long opt_len);

    const char* _format_0 = nullptr;
    std::int32_t _nbr_placeholders = 0;
    std::int64_t _nbr_args = 0;
    ArgInfo _arg_list[MAX_NBR_ARGS];
    bool _append_flag = false;
    bool _begun_flag = false;
};

} // namespace tnw::txt::out
