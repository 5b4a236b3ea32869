#pragma once

#include <string_view>

namespace tnw::tdbg {

// Any thread; no state, no allocation. Where the debug log cuts the file
// texts for a crop marker: the length of the leading part of `own_path` up to
// and including the first `marker` found from the project's source root on,
// or -1 when the marker is not in the path. `own_path` is a source path as
// compiled, ending in `own_file`, that file's path from the source root (such
// as "src/lib/tnw/tdbg/LogMgr.cpp"); the search starts at the '/' before
// `own_file`, so that "/src/" finds the project's own src folder even when the
// checkout lies in a folder of that name. A marker not found there is searched
// in the whole path (it may name a folder above the root); an empty marker
// gives 0.
[[nodiscard]] long find_scope_crop(std::string_view own_path, std::string_view own_file,
                                   std::string_view marker) noexcept;

} // namespace tnw::tdbg
