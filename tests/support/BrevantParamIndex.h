#pragma once

namespace test_support {

// The effect's parameters in their registration order.
enum BrevantParamIndex
{
    CUTOFF,
    RESO,
    NBR_BAND,
    GAIN,
    ROUTING,
    SPACING,
    EVOLUTION,
    TONE
};

} // namespace test_support
