#pragma once

#include "lib/basic/ConfKeyContentInterface.h"
#include "lib/basic/ConfKeyContentMulti.h"
#include "lib/basic/ConfKeyContentString.h"
#include "lib/basic/ConfKeyData.h"
#include "lib/basic/ConfKeyInterface.h"
#include "lib/basic/ConfKeyMulti.h"

#include <memory>
#include <string>
#include <vector>

namespace basic {

// One thread at a time (the system reads settings on the main thread only); may allocate.
// create_key and the following get_last_error share the instance's tokens and last error and
// take no lock.
// Reads configuration-key text back into a tree of keys: a lexer turns the text into tokens,
// then a recursive-descent reader builds the root key from them. A token from a double-quoted
// group is always a text or a name, never a structure sign. Malformed text never throws: it
// gives a null key or a partly read key and a negative last error. Running out of memory
// throws as the standard containers do.
class ConfKeyFactory
{
public:
    // Deepest brace nesting the reader accepts; deeper text is refused with its error code, so
    // that no text can make the reader recurse without bound.
    static constexpr int MAX_DEPTH = 256;

    // Error codes.
    static constexpr int ERR_TRAILING_OR_NO_KEY = -1015;
    static constexpr int ERR_TEXT_MISSING = -1016;
    static constexpr int ERR_LIST = -1017;
    static constexpr int ERR_LEAF_KEY = -1018;
    static constexpr int ERR_NODE_KEY = -1019;
    static constexpr int ERR_LEXER = -1020;
    static constexpr int ERR_LEX_OPEN_QUOTE = -1021;
    static constexpr int ERR_LEX_BRACE_BELOW_ZERO = -1022;
    static constexpr int ERR_LEX_BRACE_OPEN = -1023;
    static constexpr int ERR_UNKNOWN_KIND = -1024;

    ConfKeyFactory() = default;
    ConfKeyFactory(const ConfKeyFactory&) = delete;
    ConfKeyFactory& operator=(const ConfKeyFactory&) = delete;
    virtual ~ConfKeyFactory() = default;

    // The process-wide instance.
    [[nodiscard]] static ConfKeyFactory& get_instance();

    // The root key of the text (a ConfKeyData or a ConfKeyMulti), or null; sets the last
    // error. A key may come back with a non-zero last error: it then holds what was read
    // whole before the fault, and the caller decides whether to use it.
    [[nodiscard]] std::unique_ptr<ConfKeyInterface> create_key(const std::string& text);
    [[nodiscard]] int get_last_error() const noexcept { return _last_error; }

    // Steps of the reader. Those taking pos advance it past what they read.
    [[nodiscard]] int read_lexemes(const std::string& text);
    [[nodiscard]] std::unique_ptr<ConfKeyInterface> create_and_identify_key(long pos) const;
    [[nodiscard]] std::unique_ptr<ConfKeyContentInterface>
    create_and_identify_content(long pos) const;
    [[nodiscard]] int read_key(ConfKeyInterface& key, long& pos);
    [[nodiscard]] int read_key_data(ConfKeyData& key, long& pos);
    [[nodiscard]] int read_key_multi(ConfKeyMulti& key, long& pos);
    [[nodiscard]] int read_content(ConfKeyContentInterface& content, long& pos);
    [[nodiscard]] int read_content_multi(ConfKeyContentMulti& content, long& pos);
    [[nodiscard]] int read_content_string(ConfKeyContentString& content, long& pos);

private:
    // Number of tokens from pos to the end.
    [[nodiscard]] long tokens_from(long pos) const noexcept;
    // True when the token at pos is the structure sign c written outside quotes. A quoted
    // "=", "{" or "}" is a text like any other.
    [[nodiscard]] bool is_sign(long pos, char c) const noexcept;

    // Lexer: one line [begin, end) of text; updates the brace depth, appends the line's tokens.
    [[nodiscard]] int lex_line(const std::string& text, size_t begin, size_t end, int& depth);
    // Appends the tokens of one piece of a line; quoted marks a double-quoted group.
    void append_tokens(const std::string& piece, bool quoted);

    std::vector<std::string> _lexemes;
    // One flag per token: it came from a double-quoted group.
    std::vector<char> _quoted;
    int _last_error = 0;
    // Brace levels the reader is inside while it reads.
    int _read_depth = 0;
    // Scratch of the lexer, kept between lines to spare allocations.
    std::string _piece;
};

} // namespace basic
