#pragma once

#include "lib/tnw/util/SingletonBase.h"

#include <string>

namespace tnw::svnrev {

// The source revision of this build, read once from its version-control
// keyword ("$Revision: " + number + " $"). Any thread; made on first use and
// unchanged afterwards.
class SvnRev : public util::SingletonBase<SvnRev>
{
public:
    // The build's keyword text.
    static constexpr const char* KEYWORD_0 = "$Revision: 68658 $";

    ~SvnRev() override = default;

    // -1 when the keyword did not parse.
    [[nodiscard]] long get_rev_nbr() const noexcept { return _rev_nbr; }
    // The number in decimal; "error" when the keyword did not parse.
    [[nodiscard]] const std::string& get_rev_nbr_str() const noexcept { return _rev_nbr_str; }

    // Reads three blank-separated fields: a word, a decimal number within
    // the range of long, and a word. False, rev_nbr untouched, for any text
    // that lacks one of them; null reads as empty.
    [[nodiscard]] static bool parse_keyword(const char* keyword_0, long& rev_nbr) noexcept;

private:
    friend class util::SingletonBase<SvnRev>;

    SvnRev();

    long _rev_nbr = -1;
    std::string _rev_nbr_str = "error";
};

} // namespace tnw::svnrev
