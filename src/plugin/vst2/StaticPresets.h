#pragma once

#include "lib/mppi/BankManager.h"

// The factory bank of host programs, made from the effect's own parameters:
// program 0 is the effect's default state, the others are a few settings
// that show what the filter bank does. Built into the resource
// "static_presets" when the plug-in is built.
//
// Main thread only; may allocate.
class StaticPresets
{
public:
    StaticPresets() = delete;

    // The whole bank: one program per setting, every parameter's normalised
    // value in the effect's order.
    [[nodiscard]] static mppi::BankManager make_bank();
};
