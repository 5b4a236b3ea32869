#include "lib/basic/ConfKeyFactory.h"

#include "lib/basic/StrParse.h"

#include <utility>

namespace basic {

namespace {

// Token separators of a lexer line: blank, line feed, tab, backspace, vertical tab.
constexpr const char* TOKEN_DELIMITERS = " \n\t\b\v";

// Counts the brace levels the reader is inside; the level is left on every return.
class DepthScope
{
public:
    explicit DepthScope(int& depth) noexcept : _depth(depth) { ++_depth; }
    DepthScope(const DepthScope&) = delete;
    DepthScope& operator=(const DepthScope&) = delete;
    ~DepthScope() { --_depth; }
    [[nodiscard]] bool too_deep() const noexcept { return _depth > ConfKeyFactory::MAX_DEPTH; }

private:
    int& _depth;
};

} // namespace

ConfKeyFactory& ConfKeyFactory::get_instance()
{
    static ConfKeyFactory instance;
    return instance;
}

long ConfKeyFactory::tokens_from(long pos) const noexcept
{
    const long size = long(_lexemes.size());
    return (pos < 0 || pos > size) ? 0 : size - pos;
}

bool ConfKeyFactory::is_sign(long pos, char c) const noexcept
{
    if (tokens_from(pos) < 1 || _quoted[size_t(pos)] != 0) {
        return false;
    }
    const std::string& token = _lexemes[size_t(pos)];
    return token.size() == 1 && token[0] == c;
}

std::unique_ptr<ConfKeyInterface> ConfKeyFactory::create_key(const std::string& text)
{
    _read_depth = 0;
    if (read_lexemes(text) != 0) {
        _last_error = ERR_LEXER;
        return nullptr;
    }
    auto key = create_and_identify_key(0);
    if (!key) {
        _last_error = _lexemes.empty() ? 0 : ERR_TRAILING_OR_NO_KEY;
        return nullptr;
    }
    long pos = 0;
    int code = read_key(*key, pos);
    if (code == 0 && tokens_from(pos) > 0) {
        code = ERR_TRAILING_OR_NO_KEY;
    }
    _last_error = code;
    return key;
}

void ConfKeyFactory::append_tokens(const std::string& piece, bool quoted)
{
    if (piece.empty()) {
        return;
    }
    static_cast<void>(parse_line(_lexemes, piece.c_str(), TOKEN_DELIMITERS));
    _quoted.resize(_lexemes.size(), quoted ? 1 : 0);
}

int ConfKeyFactory::read_lexemes(const std::string& text)
{
    _lexemes.clear();
    _quoted.clear();
    int depth = 0;
    int error = 0;
    size_t begin = 0;
    while (begin < text.size() && error == 0) {
        const size_t line_feed = text.find('\n', begin);
        const size_t end = line_feed == std::string::npos ? text.size() : line_feed + 1;
        error = lex_line(text, begin, end, depth);
        begin = end;
    }
    return depth >= 1 ? ERR_LEX_BRACE_OPEN : error;
}

// A line is cut into pieces at its double-quoted groups, so that every token is known to come
// from a quoted group or not; split piece by piece, the tokens are those of the whole line.
int ConfKeyFactory::lex_line(const std::string& text, size_t begin, size_t end, int& depth)
{
    const size_t tokens_before = _lexemes.size();
    bool in_quotes = false;
    int error = 0;
    _piece.clear();
    for (size_t i = begin; i < end && error == 0; ++i) {
        const char c = text[i];
        if (in_quotes) {
            _piece += c;
            if (c == '"') {
                append_tokens(_piece, true);
                _piece.clear();
                in_quotes = false;
            }
            continue;
        }
        if (c == '/' && i + 1 < end && text[i + 1] == '/') {
            break; // a comment runs to the end of the line
        }
        switch (c) {
        case '"':
            append_tokens(_piece, false);
            _piece.assign(1, '"');
            in_quotes = true;
            break;
        case '{':
            _piece += " { ";
            error = ++depth > MAX_DEPTH ? ERR_LEX_BRACE_OPEN : 0;
            break;
        case '}':
            _piece += " } ";
            error = --depth < 0 ? ERR_LEX_BRACE_BELOW_ZERO : 0;
            break;
        case '=':
            _piece += " = ";
            break;
        case '\r':
            break;
        default:
            _piece += c;
            break;
        }
    }
    if (error == 0 && in_quotes) {
        error = ERR_LEX_OPEN_QUOTE;
    }
    if (error != 0) {
        _lexemes.resize(tokens_before);
        _quoted.resize(tokens_before);
        return error;
    }
    append_tokens(_piece, false);
    return 0;
}

std::unique_ptr<ConfKeyInterface> ConfKeyFactory::create_and_identify_key(long pos) const
{
    const long n = tokens_from(pos);
    if (n < 3 || !is_sign(pos + 1, '=') || is_sign(pos, '=') || is_sign(pos + 2, '=')) {
        return nullptr;
    }
    const std::string& name = _lexemes[size_t(pos)];
    // A name the tree would refuse is not a key: the text is refused with the code of the
    // place where it stands instead of an exception.
    if (!ConfKeyInterface::check_name(name)) {
        return nullptr;
    }
    // A brace followed by a name and "=" opens a node; any other brace opens a list.
    if (n > 4 && is_sign(pos + 2, '{') && is_sign(pos + 4, '=')) {
        return std::make_unique<ConfKeyMulti>(name);
    }
    return std::make_unique<ConfKeyData>(name);
}

std::unique_ptr<ConfKeyContentInterface> ConfKeyFactory::create_and_identify_content(long pos) const
{
    if (!is_sign(pos, '{')) {
        return std::make_unique<ConfKeyContentString>();
    }
    if (tokens_from(pos) < 2) {
        return nullptr;
    }
    return std::make_unique<ConfKeyContentMulti>();
}

int ConfKeyFactory::read_key(ConfKeyInterface& key, long& pos)
{
    if (auto* leaf = dynamic_cast<ConfKeyData*>(&key)) {
        return read_key_data(*leaf, pos);
    }
    if (auto* node = dynamic_cast<ConfKeyMulti*>(&key)) {
        return read_key_multi(*node, pos);
    }
    return ERR_UNKNOWN_KIND;
}

int ConfKeyFactory::read_key_data(ConfKeyData& key, long& pos)
{
    if (tokens_from(pos) < 3) {
        return ERR_LEAF_KEY;
    }
    pos += 2;
    auto content = create_and_identify_content(pos);
    if (!content) {
        return ERR_LEAF_KEY;
    }
    const int code = read_content(*content, pos);
    // The key keeps what was read, also after a fault.
    key.adopt_content(std::move(content));
    return code;
}

int ConfKeyFactory::read_key_multi(ConfKeyMulti& key, long& pos)
{
    const DepthScope level(_read_depth);
    if (level.too_deep() || tokens_from(pos) < 4) {
        return ERR_NODE_KEY;
    }
    pos += 3;
    for (;;) {
        if (is_sign(pos, '}')) {
            ++pos;
            return 0;
        }
        if (tokens_from(pos) < 4) {
            return ERR_NODE_KEY;
        }
        auto child = create_and_identify_key(pos);
        if (!child) {
            return ERR_NODE_KEY;
        }
        if (const int code = read_key(*child, pos); code != 0) {
            return code;
        }
        key.adopt_back(std::move(child));
    }
}

int ConfKeyFactory::read_content(ConfKeyContentInterface& content, long& pos)
{
    if (auto* text = dynamic_cast<ConfKeyContentString*>(&content)) {
        return read_content_string(*text, pos);
    }
    if (auto* list = dynamic_cast<ConfKeyContentMulti*>(&content)) {
        return read_content_multi(*list, pos);
    }
    return ERR_UNKNOWN_KIND;
}

int ConfKeyFactory::read_content_multi(ConfKeyContentMulti& content, long& pos)
{
    const DepthScope level(_read_depth);
    if (level.too_deep() || tokens_from(pos) < 2) {
        return ERR_LIST;
    }
    ++pos;
    for (;;) {
        if (is_sign(pos, '}')) {
            ++pos;
            return 0;
        }
        if (tokens_from(pos) < 2) {
            return ERR_LIST;
        }
        auto item = create_and_identify_content(pos);
        if (!item) {
            return ERR_LIST;
        }
        if (const int code = read_content(*item, pos); code != 0) {
            return code;
        }
        content.adopt_back(std::move(item));
    }
}

int ConfKeyFactory::read_content_string(ConfKeyContentString& content, long& pos)
{
    if (tokens_from(pos) < 1) {
        return ERR_TEXT_MISSING;
    }
    content.set_text(_lexemes[size_t(pos)]);
    ++pos;
    return 0;
}

} // namespace basic
