#include "host/offline/CommandLine.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using host::offline::CommandLine;
using host::offline::Options;
using host::offline::SampleFormat;

TEST(CommandLine, ReadsEveryOptionInBothForms)
{
    Options opt;
    std::string error;
    ASSERT_TRUE(CommandLine::parse({"in.wav", "--param", " Cutoff Freq = 440 Hz ", "--bank=b.pbk",
                                    "--program", "3", "--block=100", "--format", "pcm24", "--tail",
                                    "1.5", "out.wav", "--param=Tone=0.2"},
                                   opt, error))
        << error;
    EXPECT_EQ(opt.in_path, "in.wav");
    EXPECT_EQ(opt.out_path, "out.wav");
    ASSERT_EQ(opt.params.size(), 2u);
    EXPECT_EQ(opt.params[0].name, "Cutoff Freq");
    EXPECT_EQ(opt.params[0].text, "440 Hz");
    EXPECT_EQ(opt.params[1].name, "Tone");
    EXPECT_EQ(opt.params[1].text, "0.2");
    EXPECT_EQ(opt.bank_path, "b.pbk");
    EXPECT_EQ(opt.program, 3);
    EXPECT_EQ(opt.block, 100);
    EXPECT_EQ(opt.format, SampleFormat::PCM24);
    EXPECT_EQ(opt.tail, 1.5);
    EXPECT_FALSE(opt.list);

    Options defaults;
    ASSERT_TRUE(CommandLine::parse({"a.wav", "b.wav"}, defaults, error));
    EXPECT_EQ(defaults.block, 512);
    EXPECT_FALSE(defaults.format.has_value());
    EXPECT_FALSE(defaults.program.has_value());
    EXPECT_EQ(defaults.tail, 0.0);
    Options list;
    ASSERT_TRUE(CommandLine::parse({"--list", "--program", "1"}, list, error));
    EXPECT_TRUE(list.list);
}

TEST(CommandLine, RefusesWhatItCannotRead)
{
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{"a.wav"}, "wants an input and an output file name"},
        {{"a.wav", "b.wav", "c.wav"}, "wants an input and an output file name"},
        {{"--list", "a.wav"}, "--list takes no file names"},
        {{"a.wav", "b.wav", "--gain", "2"}, "unknown option '--gain'"},
        {{"-v", "in.wav"}, "unknown option '-v'"},
        {{"a.wav", "b.wav", "-x=1"}, "unknown option '-x'"},
        {{"a.wav", "--", "b.wav", "--list"}, "wants an input and an output file name"},
        {{"a.wav", "b.wav", "--block"}, "--block wants a value"},
        {{"a.wav", "b.wav", "--block", "0"},
         "--block wants a frame count from 1 to 65536, got '0'"},
        {{"a.wav", "b.wav", "--block", "65537"},
         "--block wants a frame count from 1 to 65536, got '65537'"},
        {{"a.wav", "b.wav", "--block", "12x"},
         "--block wants a frame count from 1 to 65536, got '12x'"},
        {{"a.wav", "b.wav", "--program", "-1"},
         "--program wants a program number from 0, got '-1'"},
        {{"a.wav", "b.wav", "--program", "2147483648"},
         "--program wants a program number from 0, got '2147483648'"},
        {{"a.wav", "b.wav", "--format", "pcm8"},
         "--format wants pcm16, pcm24 or float, got 'pcm8'"},
        {{"a.wav", "b.wav", "--tail", "nan"}, "--tail wants seconds from 0 to 3600, got 'nan'"},
        {{"a.wav", "b.wav", "--tail", "-0.5"}, "--tail wants seconds from 0 to 3600, got '-0.5'"},
        {{"a.wav", "b.wav", "--tail", "3601"}, "--tail wants seconds from 0 to 3600, got '3601'"},
        {{"a.wav", "b.wav", "--param", "Tone"}, "--param wants NAME=TEXT, got 'Tone'"},
        {{"a.wav", "b.wav", "--param", " =1"}, "--param wants NAME=TEXT, got ' =1'"},
        {{"a.wav", "b.wav", "--bank="}, "--bank wants a file name"},
    };
    for (const auto& [args, message] : cases) {
        Options opt;
        std::string error;
        EXPECT_FALSE(CommandLine::parse(args, opt, error)) << message;
        EXPECT_EQ(error, message);
    }
}

// "-" is a file name (the standard input or output), and so is every word
// after the first "--".
TEST(CommandLine, DoubleDashEndsTheOptions)
{
    const struct
    {
        std::vector<std::string> args;
        const char* in;
        const char* out;
        long block;
    } cases[] = {
        {{"-", "-"}, "-", "-", 512},
        {{"--", "-v", "--list"}, "-v", "--list", 512},
        {{"--block", "7", "in.wav", "--", "-"}, "in.wav", "-", 7},
        {{"--block=7", "--", "--", "--block=8"}, "--", "--block=8", 7},
    };
    for (const auto& c : cases) {
        Options opt;
        std::string error;
        ASSERT_TRUE(CommandLine::parse(c.args, opt, error)) << c.in << ": " << error;
        EXPECT_EQ(opt.in_path, c.in);
        EXPECT_EQ(opt.out_path, c.out);
        EXPECT_EQ(opt.block, c.block) << c.in;
        EXPECT_FALSE(opt.list);
    }
}

TEST(CommandLine, UsageNamesTheProgramByItsBaseName)
{
    for (const char* path :
         {"morvanel_render", "./morvanel_render", "/opt/x.y/bin/morvanel_render"}) {
        const std::string usage = CommandLine::usage(path);
        EXPECT_EQ(
            usage.substr(0, usage.find('\n', usage.find('\n') + 1) + 1),
            "Usage: morvanel_render IN.wav OUT.wav [options]\n"
            "       morvanel_render --list [--bank FILE.pbk] [--program N] [--param NAME=TEXT]\n")
            << path;
    }
}

} // namespace
