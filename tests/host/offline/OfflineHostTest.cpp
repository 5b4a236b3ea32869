#include "host/offline/OfflineHost.h"

#include "WavFiles.h"
#include "host/offline/CommandLine.h"
#include "host/offline/ExampleSignal.h"
#include "lib/mppi/NormalizedParamInterface.h"
#include "lib/mppi/TwbkFileOp.h"
#include "lib/mppi/mppi_vst2cocoa/Vst2Plugin.h"
#include "plugin/dsp/BrevantDsp.h"
#include "plugin/vst2/StaticPresets.h"
#include "support/HangGuard.h"
#include "support/ScratchFolder.h"
#include "support/posix/ChildProcess.h"
#include "support/posix/EnvVar.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

namespace {

using host::offline::Options;
using test_support::ScratchFolder;

constexpr int RATE = 44100;

struct HostRig
{
    // Runs the host on `opt`; the exit status.
    int run(const Options& opt)
    {
        host = std::make_unique<host::offline::OfflineHost>(out, err);
        return host->run(opt, bundle);
    }
    // A path in the folder of the run's own files.
    [[nodiscard]] std::string file(const std::string& name) const { return (io / name).string(); }
    [[nodiscard]] long count_files() const
    {
        return long(std::distance(std::filesystem::directory_iterator(io),
                                  std::filesystem::directory_iterator()));
    }

    ScratchFolder folder;
    test_support::EnvVar config{"XDG_CONFIG_HOME", folder.path().c_str()};
    test_support::EnvVar state{"XDG_STATE_HOME", folder.path().c_str()};
    std::filesystem::path io = folder.path() / "io";
    bool io_made = std::filesystem::create_directory(io);
    std::ostringstream out;
    std::ostringstream err;
    std::unique_ptr<host::offline::OfflineHost> host;
    std::string bundle = MORVANEL_BUNDLE_DIR;
};

// The program built beside the bundle.
std::string find_program()
{
    return (std::filesystem::path(MORVANEL_BUNDLE_DIR).parent_path() / "morvanel_render").string();
}

// A short stereo 16-bit input at `path`.
void write_input(const std::string& path)
{
    ASSERT_TRUE(offline_test::write_sound(path, SF_FORMAT_WAV | SF_FORMAT_PCM_16, 2, RATE,
                                          host::offline::ExampleSignal::make(RATE, 0.05)));
}

bool ends_with(const std::string& text, const std::string& end)
{
    return text.size() >= end.size() &&
           text.compare(text.size() - end.size(), end.size(), end) == 0;
}

// The effect alone, driven as the host drives the plug-in: default state, a program,
// the rate, parameters from their display texts, cleared state; then blocks of `block`
// frames over the input and `tail_frames` of silence.
std::vector<float> run_effect_directly(const std::vector<float>& input, int program,
                                       const std::vector<std::pair<int, std::string>>& params,
                                       long block, long tail_frames)
{
    BrevantDsp dsp;
    EXPECT_EQ(dsp.init(), 0);
    dsp.set_default_state();
    dsp.do_set_program(StaticPresets::make_bank()[program]);
    dsp.set_sample_freq(float(RATE));
    dsp.clear_buffers();
    for (const auto& [index, text] : params) {
        mppi::NormalizedParamInterface& param = dsp.get_param_ref(index);
        bool ok = false;
        const double natural = param.scan_val(text.c_str(), ok);
        EXPECT_TRUE(ok) << text;
        param.set_nrm_val(param.normalize_val(natural));
    }
    dsp.clear_buffers();

    const long nbr_frames = long(input.size() / 2) + tail_frames;
    std::vector<float> output(std::size_t(nbr_frames) * 2);
    const auto size = static_cast<std::size_t>(block);
    std::vector<float> in_l(size), in_r(size), out_l(size), out_r(size);
    for (long pos = 0; pos < nbr_frames; pos += block) {
        const long nbr = std::min(block, nbr_frames - pos);
        for (long i = 0; i < nbr; ++i) {
            const auto src = std::size_t(pos + i) * 2;
            in_l[std::size_t(i)] = src < input.size() ? input[src] : 0.0f;
            in_r[std::size_t(i)] = src < input.size() ? input[src + 1] : 0.0f;
        }
        float* outs[2] = {out_l.data(), out_r.data()};
        const float* ins[2] = {in_l.data(), in_r.data()};
        (void)dsp.do_process_replacing(outs, ins, nbr, false);
        for (long i = 0; i < nbr; ++i) {
            output[std::size_t(pos + i) * 2] = out_l[std::size_t(i)];
            output[std::size_t(pos + i) * 2 + 1] = out_r[std::size_t(i)];
        }
    }
    dsp.restore();
    return output;
}

TEST(OfflineHost, FloatOutputEqualsTheEffectDrivenDirectly)
{
    HostRig rig;
    const std::vector<float> input = host::offline::ExampleSignal::make(RATE, 0.5);
    Options opt;
    opt.in_path = rig.file("in.wav");
    opt.out_path = rig.file("out.wav");
    ASSERT_TRUE(
        offline_test::write_sound(opt.in_path, SF_FORMAT_WAV | SF_FORMAT_PCM_16, 2, RATE, input));
    opt.program = 1;
    // Given out of host order; the resonance is clamped to its top.
    opt.params = {{"Nbr Bands", "5"}, {"Resonance", "250"}, {"Cutoff Freq", "330"}};
    opt.block = 100;
    opt.tail = 0.05;
    opt.format = host::offline::SampleFormat::FLOAT;
    ASSERT_EQ(rig.run(opt), 0) << rig.err.str();
    EXPECT_NE(rig.err.str().find("  1  Resonance = 100.0\n"), std::string::npos) << rig.err.str();
    EXPECT_NE(rig.err.str().find("rendering: 100 %\n"), std::string::npos);

    int nbr_chn = 0;
    int rate = 0;
    const std::vector<float> rendered = offline_test::read_sound(opt.out_path, nbr_chn, rate);
    EXPECT_EQ(nbr_chn, 2);
    EXPECT_EQ(rate, RATE);
    // The effect reads what the file holds: 16-bit samples.
    const std::vector<float> stored = offline_test::read_sound(opt.in_path, nbr_chn, rate);
    const std::vector<float> direct = run_effect_directly(
        stored, 1, {{0, "330"}, {1, "250"}, {2, "5"}}, opt.block, long(0.05 * RATE + 0.5));
    ASSERT_EQ(rendered.size(), direct.size());
    long nbr_diff = 0;
    for (std::size_t i = 0; i < direct.size(); ++i) {
        nbr_diff += rendered[i] != direct[i] ? 1 : 0;
    }
    EXPECT_EQ(nbr_diff, 0);
}

TEST(OfflineHost, MonoRunsWithTheRightChannelsUnconnected)
{
    HostRig rig;
    Options opt;
    opt.in_path = rig.file("mono.wav");
    opt.out_path = rig.file("out.wav");
    const std::vector<float> stereo = host::offline::ExampleSignal::make(RATE, 0.2);
    std::vector<float> mono;
    for (std::size_t i = 0; i < stereo.size(); i += 2) {
        mono.push_back(stereo[i]);
    }
    ASSERT_TRUE(
        offline_test::write_sound(opt.in_path, SF_FORMAT_WAV | SF_FORMAT_PCM_24, 1, RATE, mono));
    ASSERT_EQ(rig.run(opt), 0) << rig.err.str();
    const auto& dsp = dynamic_cast<const BrevantDsp&>(rig.host->use_plugin().use_dsp());
    EXPECT_FALSE(dsp.is_stereo_in());
    EXPECT_FALSE(dsp.is_stereo_out());
    int nbr_chn = 0;
    int rate = 0;
    const std::vector<float> rendered = offline_test::read_sound(opt.out_path, nbr_chn, rate);
    EXPECT_EQ(nbr_chn, 1);
    EXPECT_EQ(rendered.size(), mono.size());
    EXPECT_NE(rendered, std::vector<float>(rendered.size(), 0.0f));
}

// Damaged input and outputs that cannot be are refused with their reasons, before rendering
// where they can be told, and no file is left or changed.
TEST(OfflineHost, DamagedInputAndImpossibleOutputsAreRefusedWithTheirReasons)
{
    namespace fs = std::filesystem;
    using Limits = std::numeric_limits<float>;
    using host::offline::SampleFormat;
    // Prepares the run; the message the host ends with.
    using Make = std::function<std::string(HostRig&, Options&)>;
    const auto float_input = [](Options& opt, int nbr_chn, int rate, long nbr_frames, long bad,
                                float value) {
        std::vector<float> frames(std::size_t(nbr_frames * nbr_chn), 0.25f);
        if (bad >= 0) {
            frames[std::size_t(bad)] = value;
        }
        EXPECT_TRUE(offline_test::write_sound(opt.in_path, SF_FORMAT_WAV | SF_FORMAT_FLOAT, nbr_chn,
                                              rate, frames));
    };
    // A finite input that the effect turns into samples that are no number: a sine of
    // 1.7e38 in the right channel, a quiet one in the left; the first such sample is the
    // one of the effect driven directly.
    const auto too_loud = [](host::offline::SampleFormat format) {
        return [format](HostRig&, Options& opt) {
            std::vector<float> frames;
            for (long i = 0; i < 4410; ++i) {
                const float sine = std::sin(6.2831853f * 440 * float(i) / RATE);
                frames.insert(frames.end(), {0.5f * sine, 1.7e38f * sine});
            }
            EXPECT_TRUE(offline_test::write_sound(opt.in_path, SF_FORMAT_WAV | SF_FORMAT_FLOAT, 2,
                                                  RATE, frames));
            opt.format = format;
            opt.program = 0;
            const std::vector<float> direct = run_effect_directly(frames, 0, {}, opt.block, 0);
            const auto at = std::find_if(direct.begin(), direct.end(),
                                         [](float value) { return !std::isfinite(value); }) -
                            direct.begin();
            EXPECT_LT(at, long(direct.size()));
            return "error: the effect's output holds a sample that is no finite number: channel " +
                   std::to_string(at % 2 + 1) + " of 2, frame " + std::to_string(at / 2) +
                   " (counted from 0); the input's level is beyond what the effect can take\n";
        };
    };
    const auto bank_file = [](HostRig& rig, Options& opt) {
        opt.bank_path = rig.file("mine.pbk");
        EXPECT_EQ(mppi::TwbkFileOp::save_bank(opt.bank_path.c_str(), StaticPresets::make_bank()),
                  0);
    };
    const auto cannot_write = [](const Options& opt, const char* reason) {
        return "error: cannot write output file '" + opt.out_path + "': " + reason + "\n";
    };
    const struct
    {
        const char* what;
        bool before_rendering;
        Make make;
    } cases[] = {
        {"folder missing", true,
         [&](HostRig& rig, Options& opt) {
             opt.out_path = rig.file("none/out.wav");
             return cannot_write(opt, "no such folder");
         }},
        {"output is a folder", true,
         [&](HostRig& rig, Options& opt) {
             opt.out_path = rig.file("folder");
             fs::create_directory(opt.out_path);
             return cannot_write(opt, "is a folder");
         }},
        {"full device", false,
         [&](HostRig&, Options& opt) {
             opt.out_path = "/dev/full";
             return cannot_write(opt, "no space left on device");
         }},
        {"output is the input", true,
         [](HostRig&, Options& opt) {
             opt.out_path = opt.in_path;
             return std::string("error: output is the input file\n");
         }},
        {"output links to the input", true,
         [](HostRig& rig, Options& opt) {
             opt.out_path = rig.file("link.wav");
             fs::create_symlink(opt.in_path, opt.out_path);
             return std::string("error: output is the input file\n");
         }},
        {"output is another name of the input", true,
         [](HostRig& rig, Options& opt) {
             opt.out_path = rig.file("other.wav");
             fs::create_hard_link(opt.in_path, opt.out_path);
             return std::string("error: output is the input file\n");
         }},
        {"output is the bank", true,
         [&](HostRig& rig, Options& opt) {
             bank_file(rig, opt);
             opt.out_path = opt.bank_path;
             return std::string("error: output is the bank file\n");
         }},
        {"output links to the bank", true,
         [&](HostRig& rig, Options& opt) {
             bank_file(rig, opt);
             opt.out_path = rig.file("link.pbk");
             fs::create_symlink(opt.bank_path, opt.out_path);
             return std::string("error: output is the bank file\n");
         }},
        {"not a number in the right channel", false,
         [&](HostRig&, Options& opt) {
             float_input(opt, 2, RATE, 20000, 2 * 500 + 1, Limits::quiet_NaN());
             return "error: input file '" + opt.in_path +
                    "' holds a sample that is no finite number: channel 2 of 2, frame 500 "
                    "(counted from 0)\n";
         }},
        {"infinity in the last frame of a mono file", false,
         [&](HostRig&, Options& opt) {
             float_input(opt, 1, RATE, 20000, 19999, -Limits::infinity());
             return "error: input file '" + opt.in_path +
                    "' holds a sample that is no finite number: channel 1 of 1, frame 19999 "
                    "(counted from 0)\n";
         }},
        {"too loud for the effect, float output", false, too_loud(SampleFormat::FLOAT)},
        {"too loud for the effect, 16-bit output", false, too_loud(SampleFormat::PCM16)},
        {"too loud for the effect, 24-bit output", false, too_loud(SampleFormat::PCM24)},
        // Refused before the effect starts: its bundle is not even there.
        {"more than a WAV file holds", true,
         [&](HostRig& rig, Options& opt) {
             const int rate = 384000;
             const long nbr_frames = 3840;
             float_input(opt, 2, rate, nbr_frames, -1, 0);
             opt.tail = 1500;
             rig.bundle = rig.file("missing.vst");
             // The encoder's own header, and the RIFF size field's 32 bits after its first 8
             // bytes.
             const auto header = (long long)fs::file_size(opt.in_path) - nbr_frames * 8;
             const long long size = header + (nbr_frames + 1500LL * rate) * 8;
             return "error: the output would be " + std::to_string(size) +
                    " bytes; a WAV file holds at most " + std::to_string((1LL << 32) - 1 + 8) +
                    "\n";
         }},
    };
    for (const auto& c : cases) {
        HostRig rig;
        Options opt;
        opt.in_path = rig.file("in.wav");
        opt.out_path = rig.file("out.wav");
        write_input(opt.in_path);
        const std::string message = c.make(rig, opt);
        const std::string input = ScratchFolder::read(opt.in_path);
        const std::string bank = ScratchFolder::read(opt.bank_path);
        const long nbr_files = rig.count_files();
        EXPECT_EQ(rig.run(opt), 1) << c.what;
        EXPECT_TRUE(ends_with(rig.err.str(), message)) << c.what << ": " << rig.err.str();
        EXPECT_EQ(rig.err.str().find("rendering:") == std::string::npos, c.before_rendering)
            << c.what;
        EXPECT_TRUE(ScratchFolder::read(opt.in_path) == input) << c.what;
        EXPECT_TRUE(ScratchFolder::read(opt.bank_path) == bank) << c.what;
        EXPECT_EQ(rig.count_files(), nbr_files) << c.what;
    }
}

// The same input and options give the same bytes: no time stamp in any format.
TEST(OfflineHost, SameRunGivesTheSameBytesInEveryFormat)
{
    using host::offline::SampleFormat;
    for (const SampleFormat format :
         {SampleFormat::PCM16, SampleFormat::PCM24, SampleFormat::FLOAT}) {
        HostRig rig;
        Options opt;
        opt.in_path = rig.file("in.wav");
        write_input(opt.in_path);
        opt.format = format;
        std::string bytes[2];
        for (int k = 0; k < 2; ++k) {
            opt.out_path = rig.file("out" + std::to_string(k) + ".wav");
            ASSERT_EQ(rig.run(opt), 0) << rig.err.str();
            bytes[k] = ScratchFolder::read(opt.out_path);
        }
        EXPECT_TRUE(bytes[0] == bytes[1]) << int(format);
        // The peak chunk of float files holds the time of writing.
        EXPECT_EQ(bytes[0].find("PEAK"), std::string::npos) << int(format);
    }
}

// A save cut short leaves no temporary file and the previous output as it was. SIGINT,
// SIGTERM or SIGHUP while the output is saved (the program, preloaded to, stops itself at its
// first write there) end the program by the same signal: a temporary file is removed, an
// output written in place (it has another name) is finished first. A file-size limit below
// the output's size fails the save with its reason, also for an output written in place that
// is long enough already.
TEST(OfflineHost, SaveCutShortLeavesNoTemporaryFileAndAWholeOutput)
{
    namespace fs = std::filesystem;
    // The output, 1.05 s of 16-bit stereo, is about 185 kB.
    constexpr rlim_t FILE_LIMIT = 65536;
    constexpr std::size_t LONGER = 300000;
    const struct
    {
        const char* what;
        int signal_nbr; // 0: none, a file-size limit instead
        bool other_name;
        std::size_t old_size;
    } cases[] = {
        {"SIGINT", SIGINT, false, 3},
        {"SIGTERM", SIGTERM, false, 3},
        {"SIGHUP", SIGHUP, false, 3},
        {"SIGTERM, output with another name", SIGTERM, true, 3},
        {"SIGINT, output with another name, longer", SIGINT, true, LONGER},
        {"file-size limit", 0, false, 3},
        {"file-size limit, output with another name", 0, true, 3},
        {"file-size limit, output with another name, longer", 0, true, LONGER},
    };
    const char* asan_options = std::getenv("ASAN_OPTIONS");
    // The preloaded library comes before the sanitizer's runtime.
    const std::vector<std::string> stop_env = {
        "LD_PRELOAD=" MORVANEL_STOP_AT_SAVE_WRITE, "STOP_AT_SAVE_OF=out.wav",
        std::string("ASAN_OPTIONS=") + (asan_options != nullptr ? asan_options : "") +
            ":verify_asan_link_order=0"};
    const auto render = [](HostRig& rig, const std::vector<std::string>& env, rlim_t limit) {
        return test_support::ChildProcess({find_program(), rig.file("in.wav"), rig.file("out.wav"),
                                           "--tail", "1"},
                                          env, rig.folder.file("err.txt"), limit);
    };
    std::string whole_output;
    {
        HostRig rig;
        write_input(rig.file("in.wav"));
        test_support::ChildProcess child = render(rig, {}, RLIM_INFINITY);
        ASSERT_EQ(child.wait(false), 0) << ScratchFolder::read(rig.folder.file("err.txt"));
        whole_output = ScratchFolder::read(rig.file("out.wav"));
        ASSERT_LT(whole_output.size(), LONGER);
    }
    for (const auto& c : cases) {
        HostRig rig;
        const std::string out_path = rig.file("out.wav");
        write_input(rig.file("in.wav"));
        const std::string old_output(c.old_size, 'o');
        ScratchFolder::write(out_path, old_output);
        if (c.other_name) {
            fs::create_hard_link(out_path, rig.file("other.wav"));
        }
        const long nbr_files = rig.count_files();
        const std::string err_path = rig.folder.file("err.txt");
        test_support::ChildProcess child =
            render(rig, c.signal_nbr != 0 ? stop_env : std::vector<std::string>(),
                   c.signal_nbr != 0 ? RLIM_INFINITY : FILE_LIMIT);
        ASSERT_TRUE(child.is_started()) << c.what;
        if (c.signal_nbr != 0) {
            const int stop = child.wait(true);
            ASSERT_TRUE(WIFSTOPPED(stop)) << c.what << ": " << ScratchFolder::read(err_path);
            // The temporary file, or none.
            EXPECT_EQ(rig.count_files(), nbr_files + (c.other_name ? 0 : 1)) << c.what;
            EXPECT_TRUE(child.send(c.signal_nbr) && child.send(SIGCONT)) << c.what;
        }
        const int status = child.wait(false);
        const std::string err = ScratchFolder::read(err_path);
        if (c.signal_nbr != 0) {
            EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == c.signal_nbr)
                << c.what << ": " << status << ", " << err;
        } else {
            EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << c.what << ": " << status;
            EXPECT_TRUE(ends_with(err, "error: cannot write output file '" + out_path +
                                           "': file too large\n"))
                << c.what << ": " << err;
        }
        const bool finished = c.signal_nbr != 0 && c.other_name;
        EXPECT_TRUE(ScratchFolder::read(out_path) == (finished ? whole_output : old_output))
            << c.what;
        EXPECT_EQ(rig.count_files(), nbr_files) << c.what;
    }
}

// A header whose data size disagrees with the file is rendered as far as the decoder finds
// samples, with a warning that gives both counts; a data size of 0 followed by another chunk
// is an empty file, not damage.
TEST(OfflineHost, DamagedHeaderIsRenderedWithAWarning)
{
    constexpr long FRAMES = 600;
    constexpr std::size_t HEADER = 44; // of a 16-bit file made by the encoder
    constexpr std::size_t DATA_SIZE_AT = 40;
    const struct
    {
        const char* what;
        std::uint32_t data_size;
        bool samples; // false: a text chunk in place of the samples
        long claimed, found, rendered;
        bool warned;
    } cases[] = {
        {"intact", FRAMES * 4, true, FRAMES, FRAMES, FRAMES, false},
        {"cut short", 1000 * 4, true, 1000, FRAMES, FRAMES, true},
        {"data size 0 before the samples", 0, true, 0, FRAMES, 0, true},
        {"data size 0 before another chunk", 0, false, 0, 0, 0, false},
    };
    for (const auto& c : cases) {
        HostRig rig;
        Options opt;
        opt.in_path = rig.file("in.wav");
        opt.out_path = rig.file("out.wav");
        ASSERT_TRUE(offline_test::write_sound(opt.in_path, SF_FORMAT_WAV | SF_FORMAT_PCM_16, 2,
                                              RATE, std::vector<float>(FRAMES * 2, 0.25f)));
        std::string bytes = ScratchFolder::read(opt.in_path);
        ASSERT_EQ(bytes.size(), HEADER + FRAMES * 4);
        ASSERT_EQ(bytes.substr(DATA_SIZE_AT - 4, 4), "data");
        if (!c.samples) {
            bytes = bytes.substr(0, HEADER) + std::string("LIST\4\0\0\0INFO", 12);
        }
        for (std::size_t k = 0; k < 4; ++k) {
            bytes[DATA_SIZE_AT + k] = char(c.data_size >> (8 * k));
        }
        ScratchFolder::write(opt.in_path, bytes);
        ASSERT_EQ(rig.run(opt), 0) << c.what << ": " << rig.err.str();
        const std::string warning = "warning: input file '" + opt.in_path +
                                    "' is damaged: its header claims " + std::to_string(c.claimed) +
                                    " frames, the file holds " + std::to_string(c.found) +
                                    "; rendering " + std::to_string(c.rendered) + "\n";
        EXPECT_EQ(rig.err.str().find(warning) != std::string::npos, c.warned)
            << c.what << ": " << rig.err.str();
        EXPECT_EQ(rig.err.str().find("warning") != std::string::npos, c.warned) << c.what;
        int nbr_chn = 0;
        int rate = 0;
        EXPECT_EQ(long(offline_test::read_sound(opt.out_path, nbr_chn, rate).size()),
                  c.rendered * 2)
            << c.what;
    }
}

// "-" and the other names of the standard output (on a pipe) get the very bytes a file
// gets, and nothing else: not even what the libraries may print there.
TEST(OfflineHost, StandardOutputByAnyNameCarriesTheFileAlone)
{
    HostRig rig;
    const std::string program = find_program();
    const std::string in_path = rig.file("in.wav");
    write_input(in_path);
    // A run that hangs is ended by the hang guard, so its status fails the test; it reads
    // nothing from the test's own standard input.
    const std::string run = "cd '" + rig.io.string() + "' && timeout -s KILL " +
                            std::to_string(test_support::HANG_GUARD.count()) +
                            " env -u HOME -u XDG_STATE_HOME '" + program + "' in.wav </dev/null ";
    ASSERT_EQ(std::system((run + "file.wav 2>/dev/null >/dev/null").c_str()), 0);
    const std::string want = ScratchFolder::read(rig.file("file.wav"));
    ASSERT_GT(want.size(), 44u);
    for (const char* out : {"-", "/dev/stdout", "/dev/fd/1", "/proc/self/fd/1"}) {
        std::FILE* pipe = ::popen((run + out + " 2>/dev/null").c_str(), "r");
        ASSERT_NE(pipe, nullptr);
        std::string got;
        char buffer[4096];
        for (std::size_t nbr = 0; (nbr = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) {
            got.append(buffer, nbr);
        }
        EXPECT_EQ(::pclose(pipe), 0) << out;
        EXPECT_TRUE(got == want) << out << ": " << got.size() << " bytes";
    }
    EXPECT_EQ(rig.count_files(), 2); // the input and the file, no file named "-"
}

// The program run by the shell in the folder of the run's files: its exit status and what
// it printed on its standard output and error.
struct ProgramRun
{
    int status = -1;
    std::string out;
    std::string err;
};

// `env` (a command that runs another, or empty) runs the program with `args`; `redirect`,
// given after the redirections that catch both streams, can close a stream instead.
ProgramRun run_program(const HostRig& rig, const std::string& env, const std::string& args,
                       const std::string& redirect)
{
    const std::string out = rig.folder.file("out.txt");
    const std::string err = rig.folder.file("err.txt");
    const std::string status = rig.folder.file("status.txt");
    const std::string command = "cd '" + rig.io.string() + "' && " + env + " '" + find_program() +
                                "' " + args + " >'" + out + "' 2>'" + err + "' " + redirect +
                                "; echo $? >'" + status + "'";
    (void)std::system(command.c_str());
    return {std::stoi(ScratchFolder::read(status)), ScratchFolder::read(out),
            ScratchFolder::read(err)};
}

// What the log files under `folder` hold.
std::string read_logs(const std::filesystem::path& folder)
{
    std::string logs;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
        if (entry.path().string().ends_with(".log.txt")) {
            logs += ScratchFolder::read(entry.path().string());
        }
    }
    return logs;
}

// The program as a whole says what is wrong, on its standard error alone: standard streams
// that were closed (which no file takes the place of), names that cannot be files, a bank
// file that is not there, and names that would print control characters.
TEST(OfflineHost, ProgramSaysWhatIsWrong)
{
    const std::string usage = host::offline::CommandLine::usage("morvanel_render");
    const struct
    {
        const char* what;
        const char* env;
        const char* args;
        const char* redirect;
        int status;
        std::string err;
        const char* out_start; // what the standard output starts with
    } cases[] = {
        {"closed standard output", "", "in.wav -", ">&-", 1, "error: standard output is closed\n",
         ""},
        {"listing to a closed standard output", "", "--list", ">&-", 1,
         "error: standard output is closed; --list prints there\n", ""},
        {"closed standard error", "", "- out.wav", "<in.wav 2>&-", 0, "", ""},
        {"closed standard input", "", "- out.wav", "<&-", 1, "error: standard input is closed\n",
         ""},
        {"listing without a log folder", "env -u HOME -u XDG_STATE_HOME", "--list", "", 0,
         "find_user_folder LOGS failed: neither XDG_STATE_HOME nor HOME is an absolute path\n",
         "Parameters:\n"},
        {"input is a folder", "", "folder out.wav", "", 1, "error: input 'folder' is a folder\n",
         ""},
        {"missing bank", "", "in.wav out.wav --bank \"$(printf 'b\\233.pbk')\"", "", 1,
         "error: bank file 'b\\x9b.pbk' refused (code -1002): no such file\n", ""},
        {"bank is a folder", "", "in.wav out.wav --bank folder", "", 1,
         "error: bank file 'folder' refused (code -1002): is a folder\n", ""},
        {"empty output name", "", "in.wav ''", "", 1, "error: output name is empty\n", ""},
        {"output ends with a slash", "", "in.wav \"$(printf 'a\\302\\233.wav/')\"", "", 1,
         "error: output 'a\\xc2\\x9b.wav/' ends with '/', so it names a folder, not a file\n", ""},
        {"output is a folder", "", "in.wav folder/", "", 1,
         "error: cannot write output file 'folder/': is a folder\n", ""},
        {"unknown short option", "", "-v in.wav", "", 2, "error: unknown option '-v'\n" + usage,
         ""},
        {"escape in an option", "", "in.wav out.wav \"$(printf -- '--x\\033[2J')\"", "", 2,
         "error: unknown option '--x\\x1b[2J'\n" + usage, ""},
    };
    for (const auto& c : cases) {
        HostRig rig;
        write_input(rig.file("in.wav"));
        std::filesystem::create_directory(rig.io / "folder");
        const long nbr_files = rig.count_files();
        const ProgramRun run = run_program(rig, c.env, c.args, c.redirect);
        EXPECT_EQ(run.status, c.status) << c.what;
        EXPECT_EQ(run.err, c.err) << c.what;
        EXPECT_EQ(run.out.substr(0, std::strlen(c.out_start)), c.out_start) << c.what;
        EXPECT_EQ(run.out.empty(), c.out_start[0] == '\0') << c.what;
        if (c.status != 0) {
            EXPECT_EQ(rig.count_files(), nbr_files) << c.what;
        }
        // Nothing meant for a standard stream went into the log file instead.
        const std::string logs = read_logs(rig.folder.path());
        EXPECT_EQ(logs.find("rendering"), std::string::npos) << c.what;
        EXPECT_EQ(logs.find("Parameters"), std::string::npos) << c.what;
    }
}

// A stream on the standard input is rendered as it arrives: one that ends before the frames
// its header claims is warned about as a damaged file, one whose header gives no length (the
// largest data size, as programs writing to a pipe give) shows the seconds rendered, and one
// whose header gives more than a WAV output holds is refused before rendering. The progress
// line ends in every case. A file redirected to the standard input is read as a file: its
// damage is told before rendering.
TEST(OfflineHost, StreamOnStandardInputIsRenderedAsItArrives)
{
    constexpr long FRAMES = RATE; // what arrives: 1 s of 16-bit stereo
    constexpr std::size_t HEADER = 44;
    constexpr std::size_t DATA_SIZE_AT = 40;
    const auto percent = [](int last) {
        std::string text;
        for (int step = 0; step <= last; step += 10) {
            text += "\rrendering: " + std::to_string(step) + " %";
        }
        return text;
    };
    std::string seconds;
    for (int tenth = 0; tenth <= 10; ++tenth) {
        seconds +=
            "\rrendering: " + std::to_string(tenth / 10) + "." + std::to_string(tenth % 10) + " s";
    }
    const std::string damaged = "warning: input file '-' is damaged: its header claims " +
                                std::to_string(2 * FRAMES) + " frames, the file holds " +
                                std::to_string(FRAMES) + "; rendering " +
                                std::to_string(FRAMES) + "\n";
    const char* const pipe = "cat in.wav |";
    const struct
    {
        const char* what;
        std::uint32_t data_size;
        const char* piped; // or redirected
        int status;
        std::string start; // of the standard error
        std::string end;   // of the standard error, from the progress on
    } cases[] = {
        {"whole", FRAMES * 4, pipe, 0, "parameters:\n", percent(100) + "\n"},
        {"ends before its header says", 2 * FRAMES * 4, pipe, 0, "parameters:\n",
         percent(50) + "\rrendering: 100 %\n" + damaged},
        {"file ends before its header says", 2 * FRAMES * 4, "", 0, damaged + "parameters:\n",
         percent(100) + "\n"},
        {"gives no length", 0xFFFFFFFF, pipe, 0, "parameters:\n", seconds + "\n"},
        {"more than a WAV output holds", 0xFFFFFFF0, pipe, 1, "",
         "error: the output would be " + std::to_string(HEADER + 0xFFFFFFF0) +
             " bytes; a WAV file holds at most " + std::to_string((1LL << 32) - 1 + 8) + "\n"},
    };
    for (const auto& c : cases) {
        HostRig rig;
        ASSERT_TRUE(offline_test::write_sound(rig.file("in.wav"), SF_FORMAT_WAV | SF_FORMAT_PCM_16,
                                              2, RATE, std::vector<float>(FRAMES * 2, 0.25f)));
        std::string bytes = ScratchFolder::read(rig.file("in.wav"));
        ASSERT_EQ(bytes.size(), HEADER + FRAMES * 4);
        for (std::size_t k = 0; k < 4; ++k) {
            bytes[DATA_SIZE_AT + k] = char(c.data_size >> (8 * k));
        }
        ScratchFolder::write(rig.file("in.wav"), bytes);
        const ProgramRun run =
            run_program(rig, c.piped, "- out.wav", c.piped[0] != '\0' ? "" : "<in.wav");
        EXPECT_EQ(run.status, c.status) << c.what;
        const std::string& err = run.err;
        EXPECT_EQ(err.substr(0, c.start.size()), c.start) << c.what;
        const std::size_t progress = err.find("\rrendering:");
        if (c.status == 0) {
            EXPECT_EQ(err.substr(std::min(progress, err.size())), c.end) << c.what;
            int nbr_chn = 0;
            int rate = 0;
            EXPECT_EQ(long(offline_test::read_sound(rig.file("out.wav"), nbr_chn, rate).size()),
                      FRAMES * 2)
                << c.what;
        } else {
            EXPECT_EQ(progress, std::string::npos) << c.what << ": " << err;
            EXPECT_TRUE(ends_with(err, c.end)) << c.what << ": " << err;
            EXPECT_FALSE(std::filesystem::exists(rig.file("out.wav"))) << c.what;
        }
    }
}

TEST(OfflineHost, RefusalsExplainAndLeaveNoFile)
{
    struct Case
    {
        const char* what;
        std::vector<std::pair<std::string, std::string>> params;
        std::string bank;     // file content; "-": a missing bank file; "": none
        int program;          // -1: none
        int input_format;     // 0: no input file
        const char* out_name; // relative to the scratch folder
        std::string message;
    };
    const std::string names = "\"Cutoff Freq\", \"Resonance\", \"Nbr Bands\", \"Dist Gain\", "
                              "\"Dist Routing\", \"Band Spacing\", \"Evolution\", \"Tone\"";
    const int wav16 = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    const Case cases[] = {
        {"missing input", {}, "", -1, 0, "out.wav", "error: cannot read input file '"},
        {"8-bit input",
         {},
         "",
         -1,
         SF_FORMAT_WAV | SF_FORMAT_PCM_U8,
         "out.wav",
         "' is not a WAV file of 16-bit or 24-bit PCM or 32-bit float samples\n"},
        {"unknown parameter",
         {{"Gain", "2"}},
         "",
         -1,
         wav16,
         "out.wav",
         "error: unknown parameter \"Gain\"; the parameters are " + names + "\n"},
        {"unparsable value",
         {{"Resonance", "loud"}},
         "",
         -1,
         wav16,
         "out.wav",
         "error: \"loud\" is no value of \"Resonance\"; write a number with '.' as decimal "
         "point, as in Resonance=1.000\n"},
        {"decimal comma",
         {{"Cutoff Freq", "4,5"}},
         "",
         -1,
         wav16,
         "out.wav",
         "error: \"4,5\" is no value of \"Cutoff Freq\"; write a number with '.' as decimal "
         "point, optionally followed by Hz, as in Cutoff Freq=1000 Hz\n"},
        {"not a number",
         {{"Tone", "nan"}},
         "",
         -1,
         wav16,
         "out.wav",
         "error: \"nan\" is no value of \"Tone\"; write a number with '.' as decimal point, "
         "as in Tone=0.500\n"},
        {"program outside",
         {},
         "",
         6,
         wav16,
         "out.wav",
         "error: program 6 is outside the bank (programs 0 to 5)\n"},
        {"missing bank", {}, "-", -1, wav16, "out.wav", "' refused (code -1002): no such file\n"},
        {"foreign bank", {}, "XXXXXXXXXXXX", -1, wav16, "out.wav", "' refused (code -1010)\n"},
        {"folder missing", {}, "", -1, wav16, "none/out.wav", "error: cannot write output file '"},
    };
    for (const Case& c : cases) {
        HostRig rig;
        Options opt;
        opt.in_path = rig.file("in.wav");
        opt.out_path = rig.file(c.out_name);
        if (c.input_format != 0) {
            ASSERT_TRUE(offline_test::write_sound(opt.in_path, c.input_format, 2, RATE,
                                                  std::vector<float>(200, 0.1f)));
        }
        for (const auto& [name, text] : c.params) {
            opt.params.push_back({name, text});
        }
        if (!c.bank.empty()) {
            opt.bank_path = rig.file("bank.pbk");
            if (c.bank != "-") {
                ScratchFolder::write(opt.bank_path, c.bank);
            }
        }
        if (c.program >= 0) {
            opt.program = c.program;
        }
        const long before = rig.count_files();
        EXPECT_EQ(rig.run(opt), 1) << c.what;
        EXPECT_NE(rig.err.str().find(c.message), std::string::npos)
            << c.what << ": " << rig.err.str();
        EXPECT_FALSE(std::filesystem::exists(opt.out_path)) << c.what;
        // No temporary file left behind either.
        EXPECT_EQ(rig.count_files(), before) << c.what;
    }
}

// Neither the log nor the preferences create a home folder that does not
// exist: the run goes on without them, as when HOME is unset.
TEST(OfflineHost, MissingHomeFolderIsNotCreated)
{
    HostRig rig;
    const std::filesystem::path home = rig.folder.path() / "home";
    const test_support::EnvVar home_var("HOME", home.c_str());
    const test_support::EnvVar state("XDG_STATE_HOME", nullptr);
    const test_support::EnvVar config("XDG_CONFIG_HOME", nullptr);
    Options opt;
    opt.list = true;
    EXPECT_EQ(rig.run(opt), 0) << rig.err.str();
    rig.host.reset();
    EXPECT_FALSE(std::filesystem::exists(home));
}

TEST(OfflineHost, ListsParametersAndProgramsOfTheChosenBank)
{
    // Program names as stored, and as listed: control characters (bytes
    // below 0x20 and 0x7f, C1 controls byte by byte) and bytes that are no
    // UTF-8 shown as \xHH, UTF-8 kept.
    const std::pair<std::string, std::string> names[] = {
        {"Mine", "Mine"},
        {"a\x1b[2Jb", "a\\x1b[2Jb"},
        {"x\n  9  Forged", "x\\x0a  9  Forged"},
        {"tab\tdel\x7f\x01", "tab\\x09del\\x7f\\x01"},
        {"Fa\u00e7ade \u266b", "Fa\u00e7ade \u266b"},
        {"c1\xc2\x9b[2J", "c1\\xc2\\x9b[2J"},
        {"raw\x9b[2J", "raw\\x9b[2J"},
    };
    HostRig rig;
    mppi::BankManager bank = StaticPresets::make_bank();
    bank.set_nbr_prog(1 + int(std::size(names)));
    std::string listed = "Programs:\n  0  Morvanel default\n";
    for (std::size_t i = 0; i < std::size(names); ++i) {
        bank[int(i) + 1].set_name(names[i].first);
        listed += "  " + std::to_string(i + 1) + "  " + names[i].second +
                  (i == 0 ? "  (selected)" : "") + "\n";
    }
    Options opt;
    opt.list = true;
    opt.bank_path = rig.file("mine.pbk");
    ASSERT_EQ(mppi::TwbkFileOp::save_bank(opt.bank_path.c_str(), bank), 0);
    opt.program = 1;
    opt.params = {{"Dist Routing", "pre"}};
    ASSERT_EQ(rig.run(opt), 0) << rig.err.str();
    const std::string text = rig.out.str();
    EXPECT_NE(text.find("Parameters:\n  0  Cutoff Freq = "), std::string::npos) << text;
    EXPECT_NE(text.find("  4  Dist Routing = Pre\n"), std::string::npos) << text;
    EXPECT_NE(text.find(listed), std::string::npos) << text;
}

} // namespace
