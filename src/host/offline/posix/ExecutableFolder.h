#pragma once

#include <string>

namespace host::offline::posix {

// Any thread; may allocate. The folder of the running program, or an empty
// text when the system does not tell it.
[[nodiscard]] std::string find_executable_folder();

} // namespace host::offline::posix
