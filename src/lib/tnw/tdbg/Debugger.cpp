#include "lib/tnw/tdbg/Debugger.h"

namespace tnw::tdbg {

const char* Debugger::get_level_name(int level) noexcept
{
    static const char* const NAMES[] = {"OOPS", "PANIC", "ERROR", "WARNING",
                                        "INFO", "DEBUG", "ASSERT"};
    constexpr int NBR_NAMES = static_cast<int>(sizeof(NAMES) / sizeof(NAMES[0]));
    return (level >= 0 && level < NBR_NAMES) ? NAMES[level] : NAMES[OOPS];
}

} // namespace tnw::tdbg
