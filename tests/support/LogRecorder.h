#pragma once

#include "lib/tnw/tdbg/LogMgr.h"

#include <mutex>
#include <string>
#include <vector>

namespace test_support {

// One record as the debug log handed it to its callback.
struct LogRecord
{
    std::string module;
    int level = 0;
    std::string msg;
    std::string file;
    std::string function;
    int line = 0;
    bool cache_flag = false;
};

// Switches the debug log to its callback mode for the object's lifetime and
// keeps a copy of every record, from any thread; afterwards the log is back
// in util mode with the config it had. One recorder at a time.
class LogRecorder
{
public:
    LogRecorder();
    LogRecorder(const LogRecorder&) = delete;
    LogRecorder& operator=(const LogRecorder&) = delete;
    ~LogRecorder();

    [[nodiscard]] std::vector<LogRecord> get_records() const;
    void clear();

private:
    static int receive(int cmd, void* data);

    tnw::tdbg::LogMgr::Config _old_config;
    mutable std::mutex _mutex;
    std::vector<LogRecord> _records;
};

} // namespace test_support
