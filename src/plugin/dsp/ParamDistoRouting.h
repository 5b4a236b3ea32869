#pragma once

#include "plugin/dsp/ParamNamed.h"

// Place of the distortion: 0 "Pre" (on the low-pass road alone, before the
// bands are added) or 1 "Post" (on the sum of both roads); natural =
// floor(n + 0.5).
class ParamDistoRouting : public ParamNamed<ParamDistoRouting>
{
public:
    static constexpr const char* NAME_0 = "Dist Routing";
    static constexpr const char* UNIT_0 = "";
    // Display names indexed by routing value.
    static constexpr const char* _ROUTING_NAME_LIST_0[] = {"Pre", "Post"};
    static constexpr const char* ERROR_TXT_0 = "### ERROR ###";

    [[nodiscard]] int get_range_type() const noexcept override;
    [[nodiscard]] double denormalize_val(float norm) const noexcept override;
    [[nodiscard]] float normalize_val(double natural) const noexcept override;
    // The routing name, or the error text for a value that rounds to neither;
    // at most `max` bytes with the terminator.
    void do_print_val(char* text, long max, double natural) const noexcept override;
    // 0 for a text holding "pre" in any letter case, else 1 for one holding
    // "post"; any other text is refused.
    [[nodiscard]] double do_scan_val(const char* text, bool& ok) const noexcept override;
};
