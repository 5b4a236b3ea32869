#pragma once

#include "lib/dsp/cpu/FpControl.h"

#include <cstdint>

namespace dsp {

// Any thread; no lock, no allocation. While it lives, the calling thread
// flushes subnormal numbers to zero, as results and as operands (x86-64: FTZ
// and DAZ; AArch64: FZ); its destructor gives the thread back the control
// word it found, so a caller's own mode is never changed by a call that holds
// one. Where the processor has no such mode it does nothing. Costs two opaque
// calls, and a register write in and out when the mode is not already set.
// Construct and destroy it on the same thread.
//
// The audio path holds one for the whole of each block: a recursion whose
// input settles (a DC offset under a band-pass, to which the tiny dither adds
// nothing) decays into subnormals, and an operation on one can cost tens to
// hundreds of cycles. Flushed, such values become zeros; an operation that
// neither reads nor makes a subnormal number gives the same bits as before.
class DenormalFlushScope
{
public:
    DenormalFlushScope() noexcept
    {
        if constexpr (cpu::FLUSH_DENORMAL_BITS != 0) {
            _saved = cpu::read_fp_control();
            if ((_saved & cpu::FLUSH_DENORMAL_BITS) != cpu::FLUSH_DENORMAL_BITS) {
                cpu::write_fp_control(_saved | cpu::FLUSH_DENORMAL_BITS);
                _changed = true;
            }
        }
    }

    ~DenormalFlushScope()
    {
        if (_changed) {
            cpu::write_fp_control(_saved);
        }
    }

    DenormalFlushScope(const DenormalFlushScope&) = delete;
    DenormalFlushScope& operator=(const DenormalFlushScope&) = delete;

private:
    std::uint64_t _saved = 0;
    bool _changed = false;
};

} // namespace dsp
