#pragma once

#include <cstddef>

namespace host::offline::posix {

// Size and alignment of the large pages memory can be backed with.
inline constexpr std::size_t HUGE_PAGE_SIZE = std::size_t{2} << 20;

// Any thread; no allocation. Asks the system to back the whole large pages
// among the `size` bytes at `data` with large pages when they are first
// touched: a few page faults instead of one every 4 KiB. A hint only; nothing
// changes where the system has no such pages.
void advise_huge_pages(void* data, std::size_t size) noexcept;

} // namespace host::offline::posix
