#pragma once

#include <string>

namespace basic {

// Any thread, one tree per thread at a time; holds no state of its own; may allocate.
// Anything of the configuration-key tree that can be written as configuration-key text.
class ConfKeyStreamInterface
{
public:
    // Writing position: the indent level (3 blanks per level) of the key being written.
    class Context
    {
    public:
        void inc_indent_level() noexcept { ++_indent_level; }
        void dec_indent_level() noexcept { --_indent_level; }
        [[nodiscard]] int get_indent_level() const noexcept { return _indent_level; }
        [[nodiscard]] std::string get_indent_string() const;

    private:
        int _indent_level = 0;
    };

    // A name or text holds a zero byte, a line feed or a double quote: the format has no
    // escape, so such a text would not read back, and could make the whole text unreadable.
    static constexpr int ERR_TEXT_NOT_STORABLE = -1025;

    virtual ~ConfKeyStreamInterface() = default;

    // Appends the text of this object to str; 0 on success, else the first failing step's code.
    [[nodiscard]] int write_to_string(std::string& str, Context& ctx) const;
    [[nodiscard]] int write_to_string(std::string& str) const;

    // Appends a name or text so that the reader gives back exactly the same token: an empty
    // text becomes "", a text the reader would cut or reinterpret is put between double
    // quotes, any other text is written unchanged. A text holding a zero byte, a line feed or
    // a double quote cannot be stored: nothing is appended and the result is
    // ERR_TEXT_NOT_STORABLE; otherwise 0.
    [[nodiscard]] int write_string_to_string(std::string& str, Context& ctx,
                                             const std::string& text) const;

protected:
    // Raises the indent level for what is written inside it and lowers it again on every way
    // out, also when a key without a name throws.
    class IndentScope
    {
    public:
        explicit IndentScope(Context& ctx) noexcept : _ctx(ctx) { _ctx.inc_indent_level(); }
        IndentScope(const IndentScope&) = delete;
        IndentScope& operator=(const IndentScope&) = delete;
        ~IndentScope() { _ctx.dec_indent_level(); }

    private:
        Context& _ctx;
    };

    ConfKeyStreamInterface() = default;
    ConfKeyStreamInterface(const ConfKeyStreamInterface&) = default;
    ConfKeyStreamInterface& operator=(const ConfKeyStreamInterface&) = default;

private:
    virtual int do_write_to_string(std::string& str, Context& ctx) const = 0;
};

} // namespace basic
