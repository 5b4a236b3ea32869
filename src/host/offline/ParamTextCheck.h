#pragma once

#include <string>
#include <vector>

namespace mppi {
class NormalizedParamInterface;
}

namespace host::offline {

// The command line's check of a parameter's value text ("--param NAME=TEXT"),
// made before the parameter's own reader gets the text: that reader takes the
// number a text starts with and ignores the rest, so "0,8" would set 0. A
// text passes only when all of it is read: a finite decimal number with '.'
// as decimal point (whatever the process's locale), then nothing but blanks
// and the unit the parameter prints; or, for a parameter whose values print
// as names, one of those names. Letter case does not matter.
//
// Any thread; immutable once made; may allocate.
class ParamTextCheck
{
public:
    // A parameter named `name` whose values print as a number followed by
    // `unit` (empty: none) or, when `choices` is not empty, as one of those
    // names. `example` is a text of the accepted form that a refusal shows.
    ParamTextCheck(std::string name, std::string unit, std::vector<std::string> choices,
                   std::string example);

    // Main thread only (reads the parameter's value). The check of the
    // effect's parameter: its unit; its whole steps' display texts as choices
    // when it moves in whole steps and none of them is a number; its current
    // display text as the example.
    [[nodiscard]] static ParamTextCheck from_param(const std::string& name,
                                                   const mppi::NormalizedParamInterface& param);

    [[nodiscard]] bool accepts(const std::string& text) const;

    // The reason `text` is refused, with the accepted form, on one line
    // without line feed.
    [[nodiscard]] std::string explain(const std::string& text) const;

private:
    std::string _name;
    std::string _unit;
    std::vector<std::string> _choices;
    std::string _example;
};

} // namespace host::offline
