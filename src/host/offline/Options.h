#pragma once

#include <optional>
#include <string>
#include <vector>

namespace host::offline {

// Sample formats of the WAV files read and written.
enum class SampleFormat
{
    PCM16,
    PCM24,
    FLOAT
};

// One "--param NAME=TEXT": a parameter by its name and a display text that
// the parameter itself parses.
struct ParamSetting
{
    std::string name;
    std::string text;
};

// What one run of the offline host does.
struct Options
{
    static constexpr long DEFAULT_BLOCK = 512;
    static constexpr long MAX_BLOCK = 65536;
    static constexpr double MAX_TAIL = 3600;

    std::string in_path;
    std::string out_path;
    std::vector<ParamSetting> params;
    std::string bank_path;              // empty: the factory bank
    std::optional<int> program;         // none: program 0 as at start-up
    long block = DEFAULT_BLOCK;         // frames per block, 1..MAX_BLOCK
    std::optional<SampleFormat> format; // none: the input's
    double tail = 0;                    // seconds of silence appended, 0..MAX_TAIL
    bool list = false;                  // print parameters and programs, render nothing
    bool help = false;
};

} // namespace host::offline
