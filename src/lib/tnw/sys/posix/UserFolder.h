#pragma once

#include <string>

namespace tnw::sys::posix {

// The user's folders, after the XDG base-directory rules. Any thread; reads the
// environment each time it is called (so a test may point it elsewhere) and
// may allocate. Every answer is an absolute path without a trailing '/', or an
// empty text when the folder cannot be told (no usable HOME and no absolute
// override).
enum class UserFolder
{
    HOME,        // $HOME
    LOGS,        // ${XDG_STATE_HOME:-$HOME/.local/state}
    PREFERENCES, // ${XDG_CONFIG_HOME:-$HOME/.config}
    CACHE,       // ${XDG_CACHE_HOME:-$HOME/.cache}
    DOCUMENTS,   // $HOME/Documents
    DESKTOP,     // $HOME/Desktop
    TEMPORARY    // the system's temporary folder (${TMPDIR:-/tmp}), HOME not needed
};

[[nodiscard]] std::string find_user_folder(UserFolder which);

// The first entry of a ':'-separated list variable that is an absolute path,
// or the fallback when there is none ("XDG_CONFIG_DIRS" → "/etc/xdg",
// "XDG_DATA_DIRS" → "/usr/local/share").
[[nodiscard]] std::string find_first_system_folder(const char* list_var, const char* fallback);

} // namespace tnw::sys::posix
