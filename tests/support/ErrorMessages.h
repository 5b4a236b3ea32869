#pragma once

#include "support/LogRecorder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace test_support {

// The messages a recorder holds, in order; each record must be at level
// ERROR. Clears the recorder.
inline std::vector<std::string> take_error_messages(LogRecorder& recorder)
{
    std::vector<std::string> messages;
    for (const LogRecord& rec : recorder.get_records()) {
        EXPECT_EQ(rec.level, tnw::tdbg::Debugger::ERROR) << rec.msg;
        messages.push_back(rec.msg);
    }
    recorder.clear();
    return messages;
}

} // namespace test_support
