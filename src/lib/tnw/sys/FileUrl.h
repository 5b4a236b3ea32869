#pragma once

#include <string>

namespace tnw::sys {

// A parsed file URL: "file:", an optional authority that is empty or
// "localhost", and an absolute path whose %XX escapes are decoded; a query
// or fragment is not part of the path. Any other text (another scheme or
// host, a bad or zero-byte escape, a relative path) gives an invalid URL.
// Any thread; a value type.
class FileUrl
{
public:
    explicit FileUrl(const std::string& text);

    [[nodiscard]] bool is_valid() const noexcept { return _valid_flag; }
    // The decoded path; empty for an invalid URL.
    [[nodiscard]] const std::string& get_path() const noexcept { return _path; }

private:
    [[nodiscard]] bool parse(const std::string& text);

    std::string _path;
    bool _valid_flag = false;
};

} // namespace tnw::sys
