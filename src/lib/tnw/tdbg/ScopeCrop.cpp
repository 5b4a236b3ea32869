#include "lib/tnw/tdbg/ScopeCrop.h"

namespace tnw::tdbg {

long find_scope_crop(std::string_view own_path, std::string_view own_file,
                     std::string_view marker) noexcept
{
    std::size_t root = 0;
    if (own_path.size() > own_file.size() && own_path.ends_with(own_file)) {
        root = own_path.size() - own_file.size() - 1;
    }
    std::size_t found = marker.empty() ? 0 : own_path.find(marker, root);
    if (found == std::string_view::npos) {
        found = own_path.find(marker);
    }
    if (found == std::string_view::npos) {
        return -1;
    }
    return static_cast<long>(found + marker.size());
}

} // namespace tnw::tdbg
