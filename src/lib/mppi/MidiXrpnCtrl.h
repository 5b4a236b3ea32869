#pragma once

namespace mppi {

class MidiDevInterface;

// The controllers of data entry and of RPN and NRPN number selection. Under
// the old NRPN order (NRPN compatibility 0) the two controllers of each
// number select trade places: 98 carries the NRPN number's high seven bits
// and 99 the low ones, 100 and 101 likewise for RPN. The decoder and the
// packet writer both go through here, so the two orders stay symmetric.
//
// Any thread; no state, no allocation.
class MidiXrpnCtrl
{
public:
    static constexpr int DATA_ENTRY_MSB = 6;
    static constexpr int DATA_ENTRY_LSB = 38;
    static constexpr int NRPN = 99; // also the controller of NRPN controller ids
    static constexpr int NRPN_LOW = 98;
    static constexpr int RPN = 101; // also the controller of RPN controller ids
    static constexpr int RPN_LOW = 100;
    static constexpr int COMPAT_OLD = 0;
    static constexpr int COMPAT_STANDARD = 1;

    [[nodiscard]] static constexpr int nrpn_msb(int compat) noexcept
    {
        return (compat == COMPAT_OLD) ? NRPN_LOW : NRPN;
    }
    [[nodiscard]] static constexpr int nrpn_lsb(int compat) noexcept
    {
        return (compat == COMPAT_OLD) ? NRPN : NRPN_LOW;
    }
    [[nodiscard]] static constexpr int rpn_msb(int compat) noexcept
    {
        return (compat == COMPAT_OLD) ? RPN_LOW : RPN;
    }
    [[nodiscard]] static constexpr int rpn_lsb(int compat) noexcept
    {
        return (compat == COMPAT_OLD) ? RPN : RPN_LOW;
    }

    // Any thread; no lock, no allocation. The NRPN compatibility preference
    // of the device's MIDI manager, read at each call; the standard order
    // while the device has no manager.
    [[nodiscard]] static int get_compatibility(const MidiDevInterface& dev) noexcept;
};

} // namespace mppi
