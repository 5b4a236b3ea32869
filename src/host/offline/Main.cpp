// The offline host: renders a WAV file through the effect.

#include "host/offline/CommandLine.h"
#include "host/offline/OfflineHost.h"
#include "host/offline/PrintableText.h"
#include "host/offline/posix/ExecutableFolder.h"
#include "host/offline/posix/SignalCleanup.h"
#include "host/offline/posix/StandardStreams.h"

#include <exception>
#include <iostream>

namespace {

// The plug-in's bundle, built beside the program.
constexpr const char* BUNDLE_NAME_0 = "Morvanel.vst";

} // namespace

int main(int argc, char** argv)
{
    using host::offline::CommandLine;
    using host::offline::make_printable;
    host::offline::posix::install_signal_cleanup();
    // Before any file is opened, so none takes a standard stream's number.
    const host::offline::posix::ClosedStreams closed = host::offline::posix::fill_closed_streams();
    const std::string program = make_printable(argc > 0 ? argv[0] : "morvanel_render");
    try {
        const std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
        host::offline::Options opt;
        std::string error;
        if (!CommandLine::parse(args, opt, error)) {
            std::cerr << "error: " << make_printable(error) << "\n" << CommandLine::usage(program);
            return 2;
        }
        if (opt.help) {
            std::cout << CommandLine::usage(program);
            return 0;
        }
        const std::string bundle =
            host::offline::posix::find_executable_folder() + "/" + BUNDLE_NAME_0;
        host::offline::OfflineHost host(std::cout, std::cerr);
        host.set_closed_streams(closed);
        return host.run(opt, bundle);
    } catch (const std::exception& e) {
        std::cerr << "error: " << make_printable(e.what()) << "\n";
    } catch (...) {
        std::cerr << "error: unexpected failure\n";
    }
    return 1;
}
