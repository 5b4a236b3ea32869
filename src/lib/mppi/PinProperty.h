#pragma once

#include <string>
#include <vector>

namespace mppi {

// One audio pin of the effect: its name and one name per channel. The host
// binding turns them into the host's pin labels.
//
// Main thread only; may allocate. Channel indices are not checked: callers
// stay within 0..get_nbr_chn()-1.
class PinProperty
{
public:
    // An unnamed pin with one unnamed channel.
    PinProperty() : PinProperty(1) {}
    // An unnamed pin with `nbr_chn` unnamed channels (none for 0 or less).
    explicit PinProperty(int nbr_chn);

    [[nodiscard]] const std::string& get_name() const noexcept { return _name; }
    void set_name(const std::string& name) { _name = name; }

    [[nodiscard]] int get_nbr_chn() const noexcept { return static_cast<int>(_chn_names.size()); }
    // Names added at the end are empty; surplus names are dropped.
    void set_nbr_chn(int nbr_chn);

    [[nodiscard]] const std::string& get_chn_name(int chn) const noexcept
    {
        return _chn_names[static_cast<size_t>(chn)];
    }
    void set_chn_name(int chn, const std::string& name)
    {
        _chn_names[static_cast<size_t>(chn)] = name;
    }

private:
    std::string _name;
    std::vector<std::string> _chn_names;
};

} // namespace mppi
