// Writes the example input of the offline host: a short stereo phrase.

#include "host/offline/ExampleSignal.h"
#include "host/offline/WavWriter.h"

#include <exception>
#include <iostream>
#include <string>

namespace {

void print_usage(std::ostream& stream, const char* program)
{
    stream << "Usage: " << program << " OUT.wav\nWrites a "
           << host::offline::ExampleSignal::DEFAULT_SECONDS << " s stereo example (16-bit, "
           << host::offline::ExampleSignal::DEFAULT_RATE << " Hz).\n";
}

} // namespace

int main(int argc, char** argv)
{
    using host::offline::ExampleSignal;
    const char* program = argc > 0 ? argv[0] : "morvanel_make_example";
    const std::string arg = argc == 2 ? argv[1] : "";
    if (arg == "-h" || arg == "--help") {
        print_usage(std::cout, program);
        return 0;
    }
    // An option-like name is a mistyped option, not a file to write.
    if (argc != 2 || arg.empty() || arg[0] == '-') {
        print_usage(std::cerr, program);
        return 2;
    }
    try {
        const std::vector<float> frames =
            ExampleSignal::make(ExampleSignal::DEFAULT_RATE, ExampleSignal::DEFAULT_SECONDS);
        const std::size_t nbr_frames = frames.size() / 2;
        std::vector<float> left(nbr_frames);
        std::vector<float> right(nbr_frames);
        for (std::size_t i = 0; i < nbr_frames; ++i) {
            left[i] = frames[2 * i];
            right[i] = frames[2 * i + 1];
        }
        const float* const chn[2] = {left.data(), right.data()};
        host::offline::WavWriter writer;
        std::string error;
        if (!writer.open(host::offline::SampleFormat::PCM16, 2, ExampleSignal::DEFAULT_RATE,
                         error) ||
            !writer.write(chn, static_cast<long>(nbr_frames)) || !writer.save(argv[1], error)) {
            std::cerr << "error: " << (error.empty() ? "cannot encode the example" : error) << "\n";
            return 1;
        }
        return 0;
    } catch (const std::exception& e) {
        std::cerr << "error: " << e.what() << "\n";
    }
    return 1;
}
