#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace sys {

// Any thread; pure, may allocate.
// The byte image of one key file of the preference key store.
//
// Layout, numbers unsigned 32-bit little-endian:
//   magic "TWKL" | entry count | per entry: key length, key bytes, value length, value bytes
// Nothing may follow the last entry. Keys are stored as given (the store lower-cases
// them before).
namespace key_file {

using Entry = std::pair<std::string, std::string>;
using EntryList = std::vector<Entry>;

inline constexpr std::string_view MAGIC = "TWKL";
inline constexpr std::size_t COUNT_SIZE = 4;
inline constexpr std::size_t LENGTH_SIZE = 4;
inline constexpr std::size_t HEADER_SIZE = MAGIC.size() + COUNT_SIZE;
// The largest image written or read: far beyond what preferences need, small enough to
// read whole.
inline constexpr std::size_t MAX_IMAGE_SIZE = std::size_t(1) << 20;

// Replaces `entries` with the image's entries; false (and `entries` empty) for an image
// that is not whole and well-formed. Every length is checked against the bytes left before
// anything is allocated for it.
[[nodiscard]] bool decode(std::string_view image, EntryList& entries);

// The image of `entries`; false (and `image` empty) when it would exceed MAX_IMAGE_SIZE.
[[nodiscard]] bool encode(const EntryList& entries, std::string& image);

} // namespace key_file

} // namespace sys
