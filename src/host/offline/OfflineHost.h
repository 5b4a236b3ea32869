#pragma once

#include "host/offline/Options.h"
#include "host/offline/posix/StandardStreams.h"
#include "lib/mppi/vst2/HostCallback.h"

#include <cstdint>
#include <iosfwd>
#include <memory>
#include <string>
#include <vector>

namespace mppi {
class Vst2Plugin;
}

namespace host::offline {

class WavReader;
class WavWriter;

// A host without a clock or a screen: it loads the plug-in, sets it up as a
// host would (rate, program, parameters in host order, then resume, so
// nothing glides at the start) and runs a WAV file through it block by
// block, followed by silence for the effect's tail; the plug-in's 10 ms timer
// runs after the block that completes each 10 ms of audio. A mono file runs
// with the right input and output reported unconnected. The host offers no time
// information and ignores the plug-in's MIDI output and automation.
//
// Main thread only; one run at a time per object. Messages (refusals,
// parameter values, progress) go to `err`, listings to `out`. An output
// named "-" (or the standard output by another name, on a pipe) is written to
// the process's standard output, which carries nothing else meanwhile.
class OfflineHost
{
public:
    // The host's interface version.
    static constexpr long HOST_VERSION = 2400;

    OfflineHost(std::ostream& out, std::ostream& err);
    OfflineHost(const OfflineHost&) = delete;
    OfflineHost& operator=(const OfflineHost&) = delete;
    ~OfflineHost();

    // The standard streams that were closed at the process's start (and now
    // lead to the null device): "-" cannot stand for them, and a listing has
    // nowhere to go.
    void set_closed_streams(const posix::ClosedStreams& closed) noexcept { _closed = closed; }

    // The whole job of the command line; the exit status: 0 on success, 1
    // after a refusal (with its reason on `err` and no output file).
    [[nodiscard]] int run(const Options& opt, const std::string& bundle_path);

    // The steps of a run, for callers that drive them one by one.
    // Starts the plug-in for `nbr_chn` channels (1 or 2).
    [[nodiscard]] bool start(const std::string& bundle_path, int nbr_chn);
    // A bank file as the host programs (through the plug-in's chunk).
    [[nodiscard]] bool load_bank(const std::string& path);
    [[nodiscard]] bool select_program(int index);
    // Rate, then the parameters by setParameter in host order, then resume.
    [[nodiscard]] bool set_up(float sample_rate, const std::vector<ParamSetting>& params);
    // Every parameter's name and effective display text.
    void print_params(std::ostream& stream) const;
    void print_programs(std::ostream& stream) const;
    // The input, then `tail` seconds of silence, in blocks of `block` frames.
    [[nodiscard]] bool render(WavReader& reader, WavWriter& writer, long block, double tail);

    [[nodiscard]] mppi::Vst2Plugin& use_plugin() const noexcept { return *_plugin; }

    // The host callback the plug-in is given.
    static std::intptr_t host_callback(void* effect, std::int32_t opcode, std::int32_t index,
                                       std::intptr_t value, void* ptr, float opt);

private:
    [[nodiscard]] int find_param(const std::string& name) const;
    [[nodiscard]] std::string list_param_names() const;
    // "-" as the input, or as the output or --list's, while that stream is
    // closed is refused.
    [[nodiscard]] bool check_closed_streams(const Options& opt);
    [[nodiscard]] bool open_files(const Options& opt, WavReader& reader, WavWriter& writer);
    // What can be told of the output before rendering: it is not the input,
    // a WAV file can hold it, and it can be written (unless it goes to the
    // standard output).
    [[nodiscard]] bool check_output(const Options& opt, const WavReader& reader,
                                    const WavWriter& writer, bool to_stdout);
    // Percent of `total` frames, or seconds rendered where `total` is -1.
    void show_progress(long long done, long long total);
    // Ends the progress line unless it has ended.
    void end_progress_line();
    // The input's header that disagrees with what the input holds.
    void warn_damaged_header(const WavReader& reader);
    // `nbr` frames of `in` through the plug-in into `out`, in blocks of
    // `block` frames, with the timer; `done` counts the frames.
    void render_chunk(float* const* in, float* const* out, long nbr, long block, long long& done,
                      long long total);
    // Appends `nbr` frames of `out`, the first of them frame `first` of the
    // output, unless one is no finite number.
    [[nodiscard]] bool write_chunk(WavWriter& writer, const float* const* out, long nbr,
                                   long long first);

    std::ostream& _out;
    std::ostream& _err;
    std::unique_ptr<mppi::Vst2Plugin> _plugin;
    posix::ClosedStreams _closed;
    int _nbr_chn = 2;
    long long _progress_shown = -1;
    bool _progress_open = false; // the progress line waits for its end
    int _sample_rate = 1;
    // Frames between two runs of the plug-in's timer, and since the last.
    long _idle_every = 1;
    long _since_idle = 0;
};

} // namespace host::offline
