#pragma once

#include <cstddef>

namespace tnw::sys::posix {

// Any thread; no lock, no allocation. Fills count bytes from the system's
// random source, waiting for it to be seeded. 0, or the error number of the
// source with the bytes in an unknown state.
[[nodiscard]] int fill_random_bytes(unsigned char* bytes, std::size_t count) noexcept;

} // namespace tnw::sys::posix
