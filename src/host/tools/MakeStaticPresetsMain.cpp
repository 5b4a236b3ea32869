// Writes the factory bank of host programs as a bank file (build step).

#include "lib/mppi/TwbkFileOp.h"
#include "plugin/vst2/StaticPresets.h"

#include <exception>
#include <iostream>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::cerr << "Usage: " << (argc > 0 ? argv[0] : "morvanel_static_presets") << " OUT.TWBK\n";
        return 2;
    }
    try {
        const int rc = mppi::TwbkFileOp::save_bank(argv[1], StaticPresets::make_bank());
        if (rc != 0) {
            std::cerr << "error: cannot write '" << argv[1] << "' (code " << rc << ")\n";
            return 1;
        }
        return 0;
    } catch (const std::exception& e) {
        std::cerr << "error: " << e.what() << "\n";
    }
    return 1;
}
