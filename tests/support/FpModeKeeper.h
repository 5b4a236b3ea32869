#pragma once

#include "lib/dsp/cpu/FpControl.h"

#include <cfenv>
#include <cstdint>

namespace test_support {

// Gives the thread back, when it ends, the floating-point mode it found: the
// rounding (x87 and SSE alike) and the control word, flush modes included;
// so a test that changes the mode leaves none of it to the next, however it
// ends.
class FpModeKeeper
{
public:
    FpModeKeeper() noexcept : _rounding(std::fegetround()), _word(dsp::cpu::read_fp_control()) {}
    ~FpModeKeeper() { restore(); }
    FpModeKeeper(const FpModeKeeper&) = delete;
    FpModeKeeper& operator=(const FpModeKeeper&) = delete;

    // Back to the mode found, before the keeper ends.
    void restore() const noexcept
    {
        (void)std::fesetround(_rounding);
        dsp::cpu::write_fp_control(_word);
    }

private:
    int _rounding;
    std::uint64_t _word;
};

} // namespace test_support
