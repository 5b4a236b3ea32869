// Feeds the configuration-key reader arbitrary bytes. Malformed text must never crash, throw
// or recurse without bound; text that reads without fault must survive being written and read
// again: the second writing equals the first.
#include "lib/basic/ConfKeyFactory.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <stdexcept>
#include <string>

namespace {

// The written text of a key, or false for a key that cannot be written (an empty name).
bool write(const basic::ConfKeyInterface& key, std::string& text)
{
    text.clear();
    try {
        return key.write_to_string(text) == 0;
    } catch (const std::runtime_error&) {
        return false;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    basic::ConfKeyFactory& factory = basic::ConfKeyFactory::get_instance();
    const std::string text(reinterpret_cast<const char*>(data), size);
    const auto key = factory.create_key(text);
    const int error = factory.get_last_error();
    if (error > 0 || error < basic::ConfKeyFactory::ERR_UNKNOWN_KIND) {
        std::abort();
    }
    std::string first;
    if (!key || error != 0 || !write(*key, first)) {
        return 0;
    }
    const auto again = factory.create_key(first);
    std::string second;
    if (!again || factory.get_last_error() != 0 || !write(*again, second) || second != first) {
        std::abort();
    }
    return 0;
}
