#include "host/offline/OfflineHost.h"

#include "host/offline/ParamTextCheck.h"
#include "host/offline/PrintableText.h"
#include "host/offline/SampleCodec.h"
#include "host/offline/WavReader.h"
#include "host/offline/WavWriter.h"
#include "host/offline/posix/ReadFailure.h"
#include "host/offline/posix/SameFile.h"
#include "host/offline/posix/SignalCleanup.h"
#include "host/offline/posix/StandardOutput.h"
#include "lib/basic/AtomicFileWriter.h"
#include "lib/mppi/BankErr.h"
#include "lib/mppi/BankManager.h"
#include "lib/mppi/DspInterface.h"
#include "lib/mppi/TwbkFileOp.h"
#include "lib/mppi/mppi_vst2cocoa/Vst2Plugin.h"
#include "plugin/vst2/BrevantVst2Factory.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <optional>
#include <ostream>

namespace host::offline {

namespace {

constexpr int PROGRESS_STEP = 10; // percent
// Steps of the progress where the length is unknown, a second.
constexpr long long PROGRESS_STEPS_A_SECOND = 10;
constexpr float LIST_RATE = 44100;
constexpr long TEXT_SIZE = 80;

// The channel the host does not feed nor read: the right one of a mono file.
constexpr std::int32_t RIGHT_CHN = 1;

// Frames read, rendered and written at a time, in whole blocks: enough that
// file calls are few, few enough that the buffers stay in the cache.
constexpr long CHUNK_FRAMES = 8192;
// Period of the plug-in's timer, in audio time.
constexpr double IDLE_SECONDS = 0.01;

// The frames of silence appended for the effect's tail.
long long count_tail_frames(double tail, const WavReader& reader) noexcept
{
    return std::llround(tail * reader.get_sample_rate());
}

// What follows "holds a sample that is no finite number" in its messages.
std::string describe_sample(const SampleCodec::SamplePos& pos, int nbr_chn)
{
    return ": channel " + std::to_string(pos.chn + 1) + " of " + std::to_string(nbr_chn) +
           ", frame " + std::to_string(pos.frame) + " (counted from 0)";
}

} // namespace

OfflineHost::OfflineHost(std::ostream& out, std::ostream& err) : _out(out), _err(err) {}

OfflineHost::~OfflineHost() = default;

std::intptr_t OfflineHost::host_callback(void* effect, std::int32_t opcode, std::int32_t index,
                                         std::intptr_t /*value*/, void* /*ptr*/, float /*opt*/)
{
    switch (opcode) {
    case mppi::vst2::HOST_VERSION:
        return HOST_VERSION;
    case mppi::vst2::HOST_PIN_CONNECTED: {
        const auto* plugin = static_cast<const mppi::Vst2Plugin*>(effect);
        const auto* host =
            plugin == nullptr ? nullptr : static_cast<const OfflineHost*>(plugin->get_host_data());
        const bool mono = host != nullptr && host->_nbr_chn == 1;
        // 0: connected.
        return mono && index == RIGHT_CHN ? 1 : 0;
    }
    default:
        return 0;
    }
}

bool OfflineHost::start(const std::string& bundle_path, int nbr_chn)
{
    _nbr_chn = nbr_chn;
    _plugin = BrevantVst2Factory::create_plugin(host_callback, bundle_path);
    if (!_plugin) {
        _err << "error: the effect did not start from '" << make_printable(bundle_path)
             << "' (its log file tells why)\n";
        return false;
    }
    _plugin->set_host_data(this);
    return true;
}

bool OfflineHost::load_bank(const std::string& path)
{
    mppi::BankManager bank;
    const int rc = mppi::TwbkFileOp::load_bank(path.c_str(), bank, nullptr, false);
    if (rc != 0) {
        const std::string reason = rc == mppi::BankErr::OPEN ? posix::find_read_failure(path) : "";
        _err << "error: bank file '" << make_printable(path) << "' refused (code " << rc << ")"
             << (reason.empty() ? "" : ": ") << reason << "\n";
        return false;
    }
    std::vector<unsigned char> image(static_cast<std::size_t>(bank.get_object_size()));
    if (bank.write_to_memory(image.data()) != 0 ||
        !_plugin->setChunk(image.data(), static_cast<long>(image.size()), false)) {
        _err << "error: bank file '" << make_printable(path) << "' refused by the effect\n";
        return false;
    }
    return true;
}

bool OfflineHost::select_program(int index)
{
    if (!_plugin->setProgram(index)) {
        _err << "error: program " << index << " is outside the bank (programs 0 to "
             << _plugin->getNumPrograms() - 1 << ")\n";
        return false;
    }
    return true;
}

int OfflineHost::find_param(const std::string& name) const
{
    char text[TEXT_SIZE] = {};
    for (int i = 0; i < _plugin->getNumParams(); ++i) {
        _plugin->getParameterName(i, text);
        if (name == text) {
            return i;
        }
    }
    return -1;
}

std::string OfflineHost::list_param_names() const
{
    std::string list;
    char text[TEXT_SIZE] = {};
    for (int i = 0; i < _plugin->getNumParams(); ++i) {
        _plugin->getParameterName(i, text);
        list += (i == 0 ? "\"" : ", \"") + std::string(text) + "\"";
    }
    return list;
}

bool OfflineHost::set_up(float sample_rate, const std::vector<ParamSetting>& params)
{
    std::vector<std::pair<int, float>> values;
    for (const ParamSetting& setting : params) {
        const int index = find_param(setting.name);
        if (index < 0) {
            _err << "error: unknown parameter \"" << make_printable(setting.name)
                 << "\"; the parameters are " << list_param_names() << "\n";
            return false;
        }
        const ParamTextCheck check = ParamTextCheck::from_param(
            setting.name,
            _plugin->use_dsp().get_param_ref(_plugin->use_param_reorder().map_wrap_2_nat(index)));
        float value = 0;
        if (!check.accepts(setting.text) ||
            !_plugin->string2parameter(index, setting.text.c_str(), value)) {
            _err << "error: " << make_printable(check.explain(setting.text)) << "\n";
            return false;
        }
        values.emplace_back(index, value);
    }
    // Host order; of two settings of one parameter the later one stays.
    std::stable_sort(values.begin(), values.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    _plugin->setSampleRate(sample_rate);
    for (const auto& [index, value] : values) {
        _plugin->setParameter(index, value);
    }
    _plugin->resume();
    return true;
}

void OfflineHost::print_params(std::ostream& stream) const
{
    char name[TEXT_SIZE] = {};
    char display[TEXT_SIZE] = {};
    char label[TEXT_SIZE] = {};
    for (int i = 0; i < _plugin->getNumParams(); ++i) {
        _plugin->getParameterName(i, name);
        _plugin->getParameterDisplay(i, display);
        _plugin->getParameterLabel(i, label);
        stream << "  " << i << "  " << name << " = " << display << (label[0] != '\0' ? " " : "")
               << label << "\n";
    }
}

void OfflineHost::print_programs(std::ostream& stream) const
{
    char name[TEXT_SIZE] = {};
    for (int i = 0; i < _plugin->getNumPrograms(); ++i) {
        (void)_plugin->getProgramNameIndexed(i, name);
        // Names come from bank files.
        stream << "  " << i << "  " << make_printable(name)
               << (i == _plugin->getProgram() ? "  (selected)" : "") << "\n";
    }
}

void OfflineHost::show_progress(long long done, long long total)
{
    if (total < 0) {
        // Tenths of a second rendered.
        const long long step = done * PROGRESS_STEPS_A_SECOND / _sample_rate;
        if (step != _progress_shown) {
            _progress_shown = step;
            _progress_open = true;
            _err << "\rrendering: " << step / PROGRESS_STEPS_A_SECOND << "."
                 << step % PROGRESS_STEPS_A_SECOND << " s" << std::flush;
        }
        return;
    }
    const long long percent = total == 0 ? 100 : done * 100 / total;
    const long long step = percent / PROGRESS_STEP * PROGRESS_STEP;
    if (step != _progress_shown) {
        _progress_shown = step;
        _progress_open = step < 100;
        _err << "\rrendering: " << step << " %" << (step >= 100 ? "\n" : "") << std::flush;
    }
}

void OfflineHost::end_progress_line()
{
    if (_progress_open) {
        _progress_open = false;
        _err << "\n";
    }
}

void OfflineHost::warn_damaged_header(const WavReader& reader)
{
    if (const WavReader::HeaderClaim& claim = reader.get_damaged_header(); claim.claimed >= 0) {
        // Cut recordings are worth rendering as far as they go.
        _err << "warning: input file '" << make_printable(reader.get_path())
             << "' is damaged: its header claims " << claim.claimed << " frames, the file holds "
             << claim.found << "; rendering " << reader.get_nbr_frames() << "\n";
    }
}

void OfflineHost::render_chunk(float* const* in, float* const* out, long nbr, long block,
                               long long& done, long long total)
{
    for (long pos = 0; pos < nbr; pos += block) {
        const long nbr_block = std::min(block, nbr - pos);
        float* block_in[2] = {in[0] + pos, in[1] + pos};
        float* block_out[2] = {out[0] + pos, out[1] + pos};
        _plugin->processReplacing(block_in, block_out, nbr_block);
        _since_idle += nbr_block;
        if (_since_idle >= _idle_every) {
            _since_idle = 0;
            _plugin->idle();
        }
        done += nbr_block;
        show_progress(done, total);
    }
}

bool OfflineHost::write_chunk(WavWriter& writer, const float* const* out, long nbr, long long first)
{
    // Neither a float file nor an integer one (where it would become full
    // scale) takes a sample that is no number.
    if (const SampleCodec::SamplePos bad = SampleCodec::find_non_finite(out, _nbr_chn, nbr);
        bad.chn >= 0) {
        end_progress_line();
        _err << "error: the effect's output holds a sample that is no finite number"
             << describe_sample({bad.chn, first + bad.frame}, _nbr_chn)
             << "; the input's level is beyond what the effect can take\n";
        return false;
    }
    if (!writer.write(out, nbr)) {
        end_progress_line();
        _err << "error: " << make_printable(writer.get_error()) << "\n";
        return false;
    }
    return true;
}

bool OfflineHost::render(WavReader& reader, WavWriter& writer, long block, double tail)
{
    const long chunk = std::max(CHUNK_FRAMES / block, 1L) * block;
    const auto size = static_cast<std::size_t>(chunk);
    // Left and right in and out, a chunk each; a mono file's right input
    // stays silent.
    std::vector<float> buf(4 * size, 0.0f);
    float* const in[2] = {buf.data(), buf.data() + size};
    float* const out[2] = {buf.data() + 2 * size, buf.data() + 3 * size};

    _idle_every = std::max(std::lround(IDLE_SECONDS * reader.get_sample_rate()), 1L);
    _since_idle = 0;
    _sample_rate = reader.get_sample_rate();
    const long long tail_frames = count_tail_frames(tail, reader);
    // -1: a stream that gives no length.
    long long total = reader.get_nbr_frames() < 0 ? -1 : reader.get_nbr_frames() + tail_frames;
    // A stream's header may claim anything.
    writer.reserve_frames(reader.is_length_known() ? total : 0);
    long long done = 0;
    long long tail_left = tail_frames;
    bool input_left = true;
    _progress_shown = -1;
    _progress_open = false;
    show_progress(0, total);
    while (true) {
        long nbr = input_left ? reader.read(in, chunk) : 0;
        if (const WavReader::SamplePos& bad = reader.get_non_finite(); bad.chn >= 0) {
            end_progress_line();
            _err << "error: input file '" << make_printable(reader.get_path())
                 << "' holds a sample that is no finite number"
                 << describe_sample(bad, reader.get_nbr_chn()) << "\n";
            return false;
        }
        if (nbr <= 0) {
            if (input_left) {
                input_left = false;
                std::fill(in[0], in[1] + size, 0.0f);
                // A stream may end before its header says.
                total = total < 0 ? total : done + tail_frames;
                show_progress(done, total);
            }
            nbr = static_cast<long>(std::min<long long>(tail_left, chunk));
            tail_left -= nbr;
        }
        if (nbr <= 0) {
            break;
        }
        const long long first = done;
        render_chunk(in, out, nbr, block, done, total);
        if (!write_chunk(writer, out, nbr, first)) {
            return false;
        }
    }
    end_progress_line();
    if (!reader.is_length_known()) {
        warn_damaged_header(reader);
    }
    return true;
}

bool OfflineHost::check_closed_streams(const Options& opt)
{
    if (_closed.input && opt.in_path == posix::STANDARD_STREAM_NAME_0) {
        _err << "error: standard input is closed\n";
        return false;
    }
    if (_closed.output && (opt.list || opt.out_path == posix::STANDARD_STREAM_NAME_0)) {
        _err << "error: standard output is closed" << (opt.list ? "; --list prints there" : "")
             << "\n";
        return false;
    }
    return true;
}

bool OfflineHost::open_files(const Options& opt, WavReader& reader, WavWriter& writer)
{
    std::string error;
    if (!reader.open(opt.in_path, error)) {
        _err << "error: " << make_printable(error) << "\n";
        return false;
    }
    warn_damaged_header(reader);
    const SampleFormat format = opt.format.value_or(reader.get_format());
    if (!writer.open(format, reader.get_nbr_chn(), reader.get_sample_rate(), error)) {
        _err << "error: " << make_printable(error) << "\n";
        return false;
    }
    return true;
}

bool OfflineHost::check_output(const Options& opt, const WavReader& reader, const WavWriter& writer,
                               bool to_stdout)
{
    if (opt.out_path.empty()) {
        _err << "error: output name is empty\n";
        return false;
    }
    std::error_code ec;
    if (opt.out_path.back() == '/' && !std::filesystem::is_directory(opt.out_path, ec)) {
        _err << "error: output '" << make_printable(opt.out_path)
             << "' ends with '/', so it names a folder, not a file\n";
        return false;
    }
    // The output never replaces a file the run reads.
    const struct
    {
        const std::string& path;
        bool dash_is_stdin;
        const char* what_0;
    } reads[] = {{opt.in_path, true, "input"}, {opt.bank_path, false, "bank"}};
    for (const auto& read : reads) {
        if (posix::is_same_file(read.path, read.dash_is_stdin, opt.out_path)) {
            _err << "error: output is the " << read.what_0 << " file\n";
            return false;
        }
    }
    std::string error;
    const long long tail_frames = count_tail_frames(opt.tail, reader);
    // A stream's header gives at most what the decoder reads of it.
    if (reader.get_nbr_frames() >= 0 &&
        !writer.check_size(reader.get_nbr_frames() + tail_frames, error)) {
        _err << "error: " << make_printable(error) << "\n";
        return false;
    }
    if (to_stdout) {
        return true;
    }
    basic::AtomicFileWriter output(opt.out_path);
    output.set_watch(posix::remove_on_signal);
    if (output.check() != basic::AtomicFileWriter::Result::OK) {
        _err << "error: cannot write output file '" << make_printable(opt.out_path)
             << "': " << output.get_reason() << "\n";
        return false;
    }
    return true;
}

int OfflineHost::run(const Options& opt, const std::string& bundle_path)
{
    WavReader reader;
    WavWriter writer;
    if (!check_closed_streams(opt)) {
        return 1;
    }
    // A standard output that was closed is the null device now, which no
    // other name of the standard output can be told apart from.
    const bool to_stdout = !opt.list && !_closed.output && posix::is_standard_output(opt.out_path);
    if (!opt.list &&
        (!open_files(opt, reader, writer) || !check_output(opt, reader, writer, to_stdout))) {
        return 1;
    }
    // From here on the standard output carries the output file alone.
    std::optional<posix::StandardOutput> stdout_file;
    if (to_stdout) {
        stdout_file.emplace();
    }
    const int nbr_chn = opt.list ? 2 : reader.get_nbr_chn();
    const float rate = opt.list ? LIST_RATE : static_cast<float>(reader.get_sample_rate());
    if (!start(bundle_path, nbr_chn) || (!opt.bank_path.empty() && !load_bank(opt.bank_path)) ||
        (opt.program && !select_program(*opt.program)) || !set_up(rate, opt.params)) {
        return 1;
    }
    if (opt.list) {
        _out << "Parameters:\n";
        print_params(_out);
        _out << "Programs:\n";
        print_programs(_out);
        return 0;
    }
    _err << "parameters:\n";
    print_params(_err);
    std::string error;
    if (!render(reader, writer, opt.block, opt.tail) ||
        !(stdout_file ? writer.send(*stdout_file, error) : writer.save(opt.out_path, error))) {
        if (!error.empty()) {
            _err << "error: " << make_printable(error) << "\n";
        }
        return 1;
    }
    return 0;
}

} // namespace host::offline
