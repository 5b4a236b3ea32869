#pragma once

namespace mppi {

// The host's time information as the binding hands it to the framework: only
// the tempo is carried. The binding fills one on the audio thread once per
// block; a plain value, used by one thread at a time, allocating nothing.
class TimeInfo
{
public:
    TimeInfo() = default;

    // Audio thread; no lock, no allocation. Both flags false, no tempo (0).
    void clear() noexcept;

    // Beats per minute; 0 until the host gave one.
    double _tempo = 0.0;
    // True when the host returned no time information.
    bool _no_info_flag = false;
    // Set by the caller to ask for the tempo; cleared by the host adapter when
    // the host's tempo is not valid.
    bool _tempo_valid_flag = false;
};

} // namespace mppi
