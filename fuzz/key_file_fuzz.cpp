// Feeds arbitrary bytes to the key file decoder. A well-formed image must encode back to the
// very same bytes; anything else must decode to nothing.
#include "lib/sys/KeyFileImage.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view image(reinterpret_cast<const char*>(data), size);
    sys::key_file::EntryList entries;
    if (!sys::key_file::decode(image, entries)) {
        if (!entries.empty()) {
            std::abort();
        }
        return 0;
    }
    std::string again;
    if (!sys::key_file::encode(entries, again) || again != image) {
        std::abort();
    }
    return 0;
}
