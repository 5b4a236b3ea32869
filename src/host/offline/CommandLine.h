#pragma once

#include "host/offline/Options.h"

#include <string>
#include <vector>

namespace host::offline {

// The offline host's command line:
//   IN OUT [--param "NAME=TEXT"]... [--bank FILE] [--program N] [--block N]
//          [--format pcm16|pcm24|float] [--tail SECONDS]
//   --list [--bank FILE] [--program N] [--param "NAME=TEXT"]...
// An option's value follows it as the next argument or after '='. "-" is a
// file name (the standard input or output); any other word that starts with
// '-' is an option, up to "--", after which every word is a file name.
//
// Any thread; no state; may allocate.
class CommandLine
{
public:
    CommandLine() = delete;

    // Fills `opt` from the arguments (the program name excluded). False, with
    // a one-line reason in `error`, for an unknown option, a missing or
    // malformed value, or a wrong number of file names.
    [[nodiscard]] static bool parse(const std::vector<std::string>& args, Options& opt,
                                    std::string& error);

    // The usage text, one option a line, naming the program by the last part
    // of `program_path`.
    [[nodiscard]] static std::string usage(const std::string& program_path);

    // Whole decimal texts and finite decimal numbers, nothing else around
    // them.
    [[nodiscard]] static bool parse_long(const std::string& text, long& value) noexcept;
    [[nodiscard]] static bool parse_double(const std::string& text, double& value) noexcept;
    // "pcm16", "pcm24" or "float".
    [[nodiscard]] static bool parse_format(const std::string& text, SampleFormat& format) noexcept;
    // "NAME=TEXT" split at the first '=', blanks around both parts removed;
    // false without '=' or with an empty name.
    [[nodiscard]] static bool parse_param(const std::string& text, ParamSetting& setting);
};

} // namespace host::offline
