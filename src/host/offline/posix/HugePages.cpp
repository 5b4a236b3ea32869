#include "host/offline/posix/HugePages.h"

#include <cstdint>
#include <sys/mman.h>

namespace host::offline::posix {

void advise_huge_pages(void* data, std::size_t size) noexcept
{
#if defined(MADV_HUGEPAGE)
    const auto begin = reinterpret_cast<std::uintptr_t>(data);
    const std::uintptr_t first = (begin + HUGE_PAGE_SIZE - 1) / HUGE_PAGE_SIZE * HUGE_PAGE_SIZE;
    const std::uintptr_t last = (begin + size) / HUGE_PAGE_SIZE * HUGE_PAGE_SIZE;
    if (last > first) {
        // A refusal only leaves the ordinary pages.
        (void)::madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
    }
#else
    (void)data;
    (void)size;
#endif
}

} // namespace host::offline::posix
