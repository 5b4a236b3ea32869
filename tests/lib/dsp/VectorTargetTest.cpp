#include "lib/dsp/VectorTarget.h"

#include "support/VectorBuilds.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

int from_baseline()
{
    return 0;
}
int from_avx2()
{
    return 1;
}
int from_avx512()
{
    return 2;
}

// Limiting the set, to each one in turn and beyond what the processor has,
// picks the build of the narrower of the limit and the processor's set, and
// lifting the limit brings back the processor's own.
TEST(VectorTarget, LimitPicksTheNarrowerBuild)
{
    const dsp::VectorIsa detected = dsp::detected_vector_isa();
    for (const auto limit : test_support::all_isas) {
        const test_support::IsaLimit scope(limit);
        const dsp::VectorIsa want = std::min(limit, detected);
        EXPECT_EQ(dsp::vector_isa(), want) << "limit " << int(limit);
        EXPECT_EQ(dsp::pick_build(&from_baseline, &from_avx2, &from_avx512)(), int(want))
            << "limit " << int(limit);
    }
    EXPECT_EQ(dsp::vector_isa(), detected);
}

} // namespace
