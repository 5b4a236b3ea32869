#pragma once

#include "lib/dsp/VectorTarget.h"

#include <vector>

namespace test_support {

// Every instruction set of the kernel builds, narrowest first.
inline constexpr dsp::VectorIsa all_isas[] = {dsp::VectorIsa::BASELINE, dsp::VectorIsa::AVX2,
                                              dsp::VectorIsa::AVX512};

// The instruction sets whose kernel builds can run here, narrowest first.
inline std::vector<dsp::VectorIsa> runnable_isas()
{
    std::vector<dsp::VectorIsa> isas;
    for (const auto isa : all_isas) {
        if (isa <= dsp::detected_vector_isa()) {
            isas.push_back(isa);
        }
    }
    return isas;
}

// Runs the kernels on builds no wider than the given set while it lives.
class IsaLimit
{
public:
    explicit IsaLimit(dsp::VectorIsa widest) noexcept { dsp::limit_vector_isa(widest); }
    ~IsaLimit() { dsp::limit_vector_isa(dsp::VectorIsa::AVX512); }
    IsaLimit(const IsaLimit&) = delete;
    IsaLimit& operator=(const IsaLimit&) = delete;
};

} // namespace test_support
