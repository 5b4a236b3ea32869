#include "host/offline/CommandLine.h"

#include "host/offline/posix/SameFile.h"

#include <charconv>
#include <cmath>
#include <filesystem>
#include <functional>
#include <map>

namespace host::offline {

namespace {

std::string trim(const std::string& text)
{
    const std::size_t begin = text.find_first_not_of(" \t");
    if (begin == std::string::npos) {
        return {};
    }
    const std::size_t end = text.find_last_not_of(" \t");
    return text.substr(begin, end - begin + 1);
}

using Setter = std::function<bool(const std::string& value, Options& opt, std::string& error)>;

bool set_param(const std::string& value, Options& opt, std::string& error)
{
    ParamSetting setting;
    if (!CommandLine::parse_param(value, setting)) {
        error = "--param wants NAME=TEXT, got '" + value + "'";
        return false;
    }
    opt.params.push_back(setting);
    return true;
}

bool set_bank(const std::string& value, Options& opt, std::string& error)
{
    if (value.empty()) {
        error = "--bank wants a file name";
        return false;
    }
    opt.bank_path = value;
    return true;
}

bool set_program(const std::string& value, Options& opt, std::string& error)
{
    long nbr = 0;
    if (!CommandLine::parse_long(value, nbr) || nbr < 0 || nbr > 0x7FFFFFFF) {
        error = "--program wants a program number from 0, got '" + value + "'";
        return false;
    }
    opt.program = static_cast<int>(nbr);
    return true;
}

bool set_block(const std::string& value, Options& opt, std::string& error)
{
    long nbr = 0;
    if (!CommandLine::parse_long(value, nbr) || nbr < 1 || nbr > Options::MAX_BLOCK) {
        error = "--block wants a frame count from 1 to " + std::to_string(Options::MAX_BLOCK) +
                ", got '" + value + "'";
        return false;
    }
    opt.block = nbr;
    return true;
}

bool set_format(const std::string& value, Options& opt, std::string& error)
{
    SampleFormat format = SampleFormat::FLOAT;
    if (!CommandLine::parse_format(value, format)) {
        error = "--format wants pcm16, pcm24 or float, got '" + value + "'";
        return false;
    }
    opt.format = format;
    return true;
}

bool set_tail(const std::string& value, Options& opt, std::string& error)
{
    double seconds = 0;
    if (!CommandLine::parse_double(value, seconds) || seconds < 0 || seconds > Options::MAX_TAIL) {
        error = "--tail wants seconds from 0 to 3600, got '" + value + "'";
        return false;
    }
    opt.tail = seconds;
    return true;
}

const std::map<std::string, Setter>& use_value_options()
{
    static const std::map<std::string, Setter> options = {
        {"--param", set_param}, {"--bank", set_bank},     {"--program", set_program},
        {"--block", set_block}, {"--format", set_format}, {"--tail", set_tail}};
    return options;
}

} // namespace

bool CommandLine::parse_long(const std::string& text, long& value) noexcept
{
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    return !text.empty() && ec == std::errc() && ptr == end;
}

bool CommandLine::parse_double(const std::string& text, double& value) noexcept
{
    const char* end = text.data() + text.size();
    double parsed = 0;
    const auto [ptr, ec] = std::from_chars(text.data(), end, parsed);
    if (text.empty() || ec != std::errc() || ptr != end || !std::isfinite(parsed)) {
        return false;
    }
    value = parsed;
    return true;
}

bool CommandLine::parse_format(const std::string& text, SampleFormat& format) noexcept
{
    if (text == "pcm16") {
        format = SampleFormat::PCM16;
    } else if (text == "pcm24") {
        format = SampleFormat::PCM24;
    } else if (text == "float") {
        format = SampleFormat::FLOAT;
    } else {
        return false;
    }
    return true;
}

bool CommandLine::parse_param(const std::string& text, ParamSetting& setting)
{
    const std::size_t eq = text.find('=');
    if (eq == std::string::npos) {
        return false;
    }
    std::string name = trim(text.substr(0, eq));
    if (name.empty()) {
        return false;
    }
    setting.name = std::move(name);
    setting.text = trim(text.substr(eq + 1));
    return true;
}

bool CommandLine::parse(const std::vector<std::string>& args, Options& opt, std::string& error)
{
    std::vector<std::string> files;
    bool options_end = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        // "-" names the standard input or output; after "--" every word is a
        // file name.
        if (options_end || arg == posix::STANDARD_STREAM_NAME_0 || arg.empty() || arg[0] != '-') {
            files.push_back(arg);
            continue;
        }
        if (arg == "--") {
            options_end = true;
            continue;
        }
        if (arg == "--list") {
            opt.list = true;
            continue;
        }
        if (arg == "--help" || arg == "-h") {
            opt.help = true;
            continue;
        }
        const std::size_t eq = arg.find('=');
        const std::string name = arg.substr(0, eq);
        const auto it = use_value_options().find(name);
        if (it == use_value_options().end()) {
            error = "unknown option '" + name + "'";
            return false;
        }
        std::string value;
        if (eq != std::string::npos) {
            value = arg.substr(eq + 1);
        } else if (i + 1 < args.size()) {
            value = args[++i];
        } else {
            error = name + " wants a value";
            return false;
        }
        if (!it->second(value, opt, error)) {
            return false;
        }
    }
    if (opt.help) {
        return true;
    }
    const std::size_t wanted = opt.list ? 0 : 2;
    if (files.size() != wanted) {
        error = opt.list ? "--list takes no file names" : "wants an input and an output file name";
        return false;
    }
    if (!opt.list) {
        opt.in_path = files[0];
        opt.out_path = files[1];
    }
    return true;
}

std::string CommandLine::usage(const std::string& program_path)
{
    std::string program = std::filesystem::path(program_path).filename().string();
    if (program.empty()) {
        program = program_path;
    }
    return "Usage: " + program +
           " IN.wav OUT.wav [options]\n"
           "       " +
           program +
           " --list [--bank FILE.pbk] [--program N] [--param NAME=TEXT]\n"
           "Renders a WAV file (16-bit or 24-bit PCM, 32-bit float; mono or stereo;\n"
           "4000 to 384000 Hz) through the effect.\n"
           "  --param \"NAME=TEXT\"  set a parameter (repeatable): a number with '.' as decimal\n"
           "                       point, optionally followed by its unit, or a name --list shows\n"
           "  --bank FILE.pbk      programs from a bank file instead of the factory bank\n"
           "  --program N          select program N of the bank (default 0)\n"
           "  --block N            frames per processing block (default 512)\n"
           "  --format F           output format: pcm16, pcm24 or float (default: the input's)\n"
           "  --tail SECONDS       silence appended to the input so delays ring out\n"
           "  --list               print the parameters and programs, render nothing\n"
           "  --                   end of the options: every later word is a file name\n";
}

} // namespace host::offline
