#pragma once

#include "support/ScratchFolder.h"

#include <string>
#include <vector>

namespace test_support {

// The lines of a text file, without their line feeds.
inline std::vector<std::string> read_lines(const std::string& path)
{
    std::vector<std::string> lines;
    const std::string text = ScratchFolder::read(path);
    std::size_t start = 0;
    for (std::size_t end = text.find('\n'); end != std::string::npos;
         end = text.find('\n', start)) {
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

// One line of the log file: "<number>\t<thread id>\t<seconds>\t<rest>", the
// seconds in digits, a '.' and three decimals. ok is false for any other form.
struct LogFileLine
{
    bool ok = false;
    long ord = -1;
    long thread_id = 0;
    std::string rest;

    explicit LogFileLine(const std::string& line)
    {
        const auto digits = [](const std::string& txt) {
            return !txt.empty() && txt.find_first_not_of("0123456789") == std::string::npos;
        };
        std::string fields[3];
        std::size_t start = 0;
        for (std::string& field : fields) {
            const std::size_t tab = line.find('\t', start);
            if (tab == std::string::npos) {
                return;
            }
            field = line.substr(start, tab - start);
            start = tab + 1;
        }
        const std::size_t point = fields[2].find('.');
        ok = digits(fields[0]) && digits(fields[1]) && point != std::string::npos &&
             digits(fields[2].substr(0, point)) && fields[2].size() == point + 4 &&
             digits(fields[2].substr(point + 1));
        if (ok) {
            ord = std::stol(fields[0]);
            thread_id = std::stol(fields[1]);
            rest = line.substr(start);
        }
    }
};

} // namespace test_support
