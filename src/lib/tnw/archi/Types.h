// Integer types of fixed width used by binary layouts.
#pragma once

#include <cstdint>

namespace tnw::archi {

using UByte = std::uint8_t;
using SByte = std::int8_t;
using UInt16 = std::uint16_t;
using Int16 = std::int16_t;
using UInt32 = std::uint32_t;
using Int32 = std::int32_t;

} // namespace tnw::archi
