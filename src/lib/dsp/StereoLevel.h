#pragma once

namespace dsp {

// 2x2 stereo gain matrix: out_l = in_l _l_2_l + in_r _r_2_l and
// out_r = in_l _l_2_r + in_r _r_2_r. Two levels are equal when all four gains
// compare equal (so a NaN gain makes them unequal).
class StereoLevel
{
public:
    float _l_2_l = 1;
    float _l_2_r = 0;
    float _r_2_l = 0;
    float _r_2_r = 1;

    [[nodiscard]] bool operator==(const StereoLevel& other) const noexcept = default;
};

} // namespace dsp
