#include "host/offline/ParamTextCheck.h"

#include "host/offline/CommandLine.h"
#include "lib/basic/StrCase.h"
#include "lib/mppi/NormalizedParamInterface.h"

#include <algorithm>
#include <cmath>
#include <string_view>

namespace host::offline {

namespace {

constexpr long TEXT_SIZE = 80;
// More whole steps than this make a parameter a number, not a choice.
constexpr double MAX_CHOICES = 64;

std::string trim(std::string_view text)
{
    const std::size_t begin = text.find_first_not_of(" \t");
    if (begin == std::string_view::npos) {
        return {};
    }
    return std::string(text.substr(begin, text.find_last_not_of(" \t") - begin + 1));
}

// A whole finite decimal number, an optional leading '+' allowed.
bool is_number(std::string text)
{
    if (text.size() > 1 && text[0] == '+' && text[1] != '-' && text[1] != '+') {
        text.erase(0, 1);
    }
    double value = 0;
    return CommandLine::parse_double(text, value);
}

// The display texts of a parameter that moves in whole steps, when none of
// them is a number; otherwise none.
std::vector<std::string> find_choices(const mppi::NormalizedParamInterface& param)
{
    const double first = param.denormalize_val(0.0f);
    const double last = param.denormalize_val(1.0f);
    if (param.get_range_type() != 1 || !std::isfinite(first) || !std::isfinite(last) ||
        last < first || last - first > MAX_CHOICES) {
        return {};
    }
    std::vector<std::string> choices;
    char text[TEXT_SIZE] = {};
    for (double natural = first; natural <= last; natural += 1.0) {
        param.print_val(text, TEXT_SIZE, natural);
        if (is_number(trim(text))) {
            return {};
        }
        if (std::find(choices.begin(), choices.end(), text) == choices.end()) {
            choices.emplace_back(text);
        }
    }
    return choices;
}

} // namespace

ParamTextCheck::ParamTextCheck(std::string name, std::string unit, std::vector<std::string> choices,
                               std::string example)
    : _name(std::move(name)), _unit(std::move(unit)), _choices(std::move(choices)),
      _example(std::move(example))
{
}

ParamTextCheck ParamTextCheck::from_param(const std::string& name,
                                          const mppi::NormalizedParamInterface& param)
{
    char text[TEXT_SIZE] = {};
    param.get_unit(text, TEXT_SIZE);
    std::string unit = text;
    param.print_val(text, TEXT_SIZE, param.get_nat_val());
    std::string example = text;
    std::vector<std::string> choices = find_choices(param);
    if (choices.empty() && !unit.empty()) {
        example += " " + unit;
    }
    return ParamTextCheck(name, std::move(unit), std::move(choices), std::move(example));
}

bool ParamTextCheck::accepts(const std::string& text) const
{
    std::string whole = trim(text);
    if (!_choices.empty()) {
        return std::any_of(_choices.begin(), _choices.end(), [&whole](const std::string& choice) {
            return basic::strcmp_ci(choice.c_str(), whole.c_str());
        });
    }
    const std::size_t unit_pos = whole.size() - std::min(whole.size(), _unit.size());
    if (!_unit.empty() && basic::strcmp_ci(whole.c_str() + unit_pos, _unit.c_str())) {
        whole = trim(std::string_view(whole).substr(0, unit_pos));
    }
    return is_number(whole);
}

std::string ParamTextCheck::explain(const std::string& text) const
{
    std::string line = "\"" + text + "\" is no value of \"" + _name + "\"; write ";
    if (!_choices.empty()) {
        for (std::size_t i = 0; i < _choices.size(); ++i) {
            line += (i == 0 ? "" : (i + 1 == _choices.size() ? " or " : ", ")) + _name + "=" +
                    _choices[i];
        }
        return line;
    }
    line += "a number with '.' as decimal point";
    if (!_unit.empty()) {
        line += ", optionally followed by " + _unit;
    }
    if (accepts(_example)) {
        line += ", as in " + _name + "=" + _example;
    }
    return line;
}

} // namespace host::offline
