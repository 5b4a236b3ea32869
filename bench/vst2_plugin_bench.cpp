// The host binding around the effect: the start of a block (`process_pre`)
// with and without a bank waiting in the hand-over, beside the clock reading
// that times it; MIDI controllers through `processEvents` to learned
// parameters, beside the same events while the input is not selected; and
// the offline host over 60 s of stereo 44100 Hz audio, beside the effect
// alone on the same samples: the effect's share of the whole, and what the
// binding, the file reading and writing and the sample conversion add to the
// effect's own time, for the whole run and for the rendering step alone.

#include "host/offline/ExampleSignal.h"
#include "host/offline/OfflineHost.h"
#include "host/offline/WavReader.h"
#include "host/offline/WavWriter.h"
#include "lib/mppi/BankManager.h"
#include "lib/mppi/DspInterface.h"
#include "lib/mppi/MidiDevSelectorInterface.h"
#include "lib/mppi/MidiMgr.h"
#include "lib/mppi/mppi_vst2cocoa/Vst2Plugin.h"
#include "plugin/dsp/BrevantDsp.h"
#include "plugin/vst2/BrevantVst2Factory.h"
#include "plugin/vst2/StaticPresets.h"

#include <benchmark/benchmark.h>
#include <sndfile.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <random>
#include <sstream>
#include <vector>

namespace {

namespace v = mppi::vst2;
using Clock = std::chrono::steady_clock;

constexpr int RATE = 44100;
constexpr double SECONDS = 60.0;
constexpr long BLOCK = 512;
constexpr int NBR_EVENTS = 64;
constexpr std::uint32_t SEED = 12345;

std::intptr_t host_callback(void*, std::int32_t opcode, std::int32_t, std::intptr_t, void*, float)
{
    return opcode == v::HOST_VERSION ? 2400 : 0;
}

std::unique_ptr<mppi::Vst2Plugin> start_plugin()
{
    auto plugin = BrevantVst2Factory::create_plugin(host_callback, MORVANEL_BUNDLE_DIR);
    if (plugin) {
        plugin->setSampleRate(float(RATE));
        plugin->resume();
        plugin->process_pre(); // takes the factory bank
    }
    return plugin;
}

void bm_process_pre_idle(benchmark::State& state)
{
    const auto plugin = start_plugin();
    for (auto _ : state) {
        plugin->process_pre();
    }
}
BENCHMARK(bm_process_pre_idle);

// Manual timing around one call, so the bank written before it is not counted.
void bm_process_pre_pending_bank(benchmark::State& state)
{
    const auto plugin = start_plugin();
    const mppi::BankManager bank = StaticPresets::make_bank();
    for (auto _ : state) {
        plugin->update_bank_from_gui(bank);
        const auto begin = Clock::now();
        plugin->process_pre();
        const auto end = Clock::now();
        state.SetIterationTime(std::chrono::duration<double>(end - begin).count());
    }
}
BENCHMARK(bm_process_pre_pending_bank)->UseManualTime();

// The same manual timing around nothing: what the clock itself adds above.
void bm_clock_baseline(benchmark::State& state)
{
    for (auto _ : state) {
        const auto begin = Clock::now();
        benchmark::ClobberMemory();
        const auto end = Clock::now();
        state.SetIterationTime(std::chrono::duration<double>(end - begin).count());
    }
}
BENCHMARK(bm_clock_baseline)->UseManualTime();

// 64 events a call: plain controllers 1..8 and NRPN data entries, all mapped.
void bm_process_events(benchmark::State& state)
{
    const bool connected = state.range(0) != 0;
    const auto plugin = start_plugin();
    mppi::MidiMgr& mgr = *plugin->use_midi_mgr();
    for (int p = 0; p < 4; ++p) {
        (void)mgr.associate_param(p, 1 + p, 0);
    }
    if (!connected) {
        (void)mgr.use_dev_selector()->select_dev_in(-1);
    }
    std::mt19937 rng(SEED);
    std::vector<v::MidiEvent> events(NBR_EVENTS);
    for (int i = 0; i < NBR_EVENTS; i += 4) {
        const auto value = static_cast<std::uint8_t>(rng() & 127);
        const auto cc = static_cast<std::uint8_t>(1 + (i / 4) % 4);
        // A plain controller, then NRPN 5 (parameter 5 by the default map).
        events[std::size_t(i)].midi_data = {0xB0, cc, value, 0};
        events[std::size_t(i + 1)].midi_data = {0xB0, 99, 0, 0};
        events[std::size_t(i + 2)].midi_data = {0xB0, 98, 5, 0};
        events[std::size_t(i + 3)].midi_data = {0xB0, 6, value, 0};
    }
    std::vector<v::Event*> list_arr;
    for (v::MidiEvent& e : events) {
        list_arr.push_back(&e);
    }
    const v::EventList list = {NBR_EVENTS, list_arr.data()};
    for (auto _ : state) {
        benchmark::DoNotOptimize(plugin->processEvents(&list));
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * NBR_EVENTS);
}
BENCHMARK(bm_process_events)->Arg(1)->Arg(0);

// The effect alone on the same audio in blocks, as the host runs it, with the
// factory program `program`: both channels laid out apart beforehand, as the
// host's reader lays them, so that only the effect is timed.
double time_effect_alone(const std::vector<std::vector<float>>& chn, int program)
{
    BrevantDsp dsp;
    (void)dsp.init();
    dsp.set_default_state();
    dsp.do_set_program(StaticPresets::make_bank()[program]);
    dsp.set_sample_freq(float(RATE));
    dsp.clear_buffers();
    std::vector<float> out_l(chn[0].size());
    std::vector<float> out_r(chn[0].size());
    const long nbr_frames = long(chn[0].size());
    const auto begin = Clock::now();
    for (long pos = 0; pos < nbr_frames; pos += BLOCK) {
        const long nbr = std::min(BLOCK, nbr_frames - pos);
        float* out[2] = {out_l.data() + pos, out_r.data() + pos};
        const float* in[2] = {chn[0].data() + pos, chn[1].data() + pos};
        (void)dsp.do_process_replacing(out, in, nbr, false);
    }
    benchmark::DoNotOptimize(out_l.data());
    benchmark::DoNotOptimize(out_r.data());
    const double seconds = std::chrono::duration<double>(Clock::now() - begin).count();
    dsp.restore();
    return seconds;
}

[[nodiscard]] double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const std::size_t mid = values.size() / 2;
    return values.size() % 2 == 1 ? values[mid] : (values[mid - 1] + values[mid]) / 2;
}

// The example signal as a 16-bit stereo file in a folder of its own, and its
// channels laid out apart; false when the file cannot be written.
bool make_input(const std::filesystem::path& folder, std::vector<std::vector<float>>& chn)
{
    std::filesystem::create_directories(folder);
    const std::vector<float> frames = host::offline::ExampleSignal::make(RATE, SECONDS);
    SF_INFO info{};
    info.samplerate = RATE;
    info.channels = 2;
    info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    SNDFILE* file = sf_open((folder / "in.wav").c_str(), SFM_WRITE, &info);
    if (file == nullptr) {
        return false;
    }
    (void)sf_writef_float(file, frames.data(), sf_count_t(frames.size() / 2));
    (void)sf_close(file);
    chn.assign(2, {});
    for (std::size_t i = 0; i < frames.size(); ++i) {
        chn[i % 2].push_back(frames[i]);
    }
    return true;
}

// A whole run of the host on `opt`, in seconds; -1 when it fails.
double time_run(const host::offline::Options& opt)
{
    std::ostringstream out;
    std::ostringstream err;
    host::offline::OfflineHost host(out, err);
    // A new output file each run, as a first render makes: replacing a file
    // makes some file systems (ext4) write its blocks out at once.
    std::filesystem::remove(opt.out_path);
    const auto begin = Clock::now();
    if (host.run(opt, MORVANEL_BUNDLE_DIR) != 0) {
        return -1;
    }
    return std::chrono::duration<double>(Clock::now() - begin).count();
}

// The host's rendering step alone, set up as a run sets it up, to a 16-bit
// output in memory, in seconds; -1 when it fails.
double time_render(const host::offline::Options& opt)
{
    std::ostringstream out;
    std::ostringstream err;
    host::offline::OfflineHost host(out, err);
    host::offline::WavReader reader;
    host::offline::WavWriter writer;
    std::string error;
    if (!reader.open(opt.in_path, error) ||
        !writer.open(host::offline::SampleFormat::PCM16, 2, RATE, error) ||
        !host.start(MORVANEL_BUNDLE_DIR, 2) || !host.select_program(*opt.program) ||
        !host.set_up(float(RATE), {})) {
        return -1;
    }
    const auto begin = Clock::now();
    if (!host.render(reader, writer, BLOCK, 0)) {
        return -1;
    }
    return std::chrono::duration<double>(Clock::now() - begin).count();
}

// Arguments: the factory program (0: default, one band; 1: eight bands), and
// what is timed (0: the whole run, files included; 1: the rendering step
// alone, the input read from the page cache and the output built in memory,
// where disk writes do not hide the host's own work per sample).
// Medians of the runs, as the machine may be busy with other work.
void bm_offline_host_60s(benchmark::State& state)
{
    const int program = int(state.range(0));
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / "morvanel_vst2_plugin_bench";
    std::vector<std::vector<float>> chn;
    if (!make_input(folder, chn)) {
        state.SkipWithError("cannot write the input file");
        return;
    }

    host::offline::Options opt;
    opt.in_path = (folder / "in.wav").string();
    opt.out_path = (folder / "out.wav").string();
    opt.program = program;
    std::vector<double> host_seconds;
    std::vector<double> effect_seconds;
    for (auto _ : state) {
        const double seconds = state.range(1) == 0 ? time_run(opt) : time_render(opt);
        if (seconds < 0) {
            state.SkipWithError("the offline host failed");
            break;
        }
        host_seconds.push_back(seconds);
        effect_seconds.push_back(time_effect_alone(chn, program));
    }
    if (!host_seconds.empty()) {
        const double host_time = median(host_seconds);
        const double effect_time = median(effect_seconds);
        state.counters["realtime_x"] = SECONDS / host_time;
        state.counters["effect_realtime_x"] = SECONDS / effect_time;
        state.counters["effect_share_pct"] = 100 * effect_time / host_time;
        state.counters["binding_and_io_pct_of_effect"] =
            100 * (host_time - effect_time) / effect_time;
    }
    std::filesystem::remove_all(folder);
}
BENCHMARK(bm_offline_host_60s)
    ->ArgsProduct({{0, 1}, {0, 1}})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(7);

} // namespace
