#include "support/LogRecorder.h"

#include <atomic>

namespace test_support {

namespace {
std::atomic<LogRecorder*> active_recorder{nullptr};
} // namespace

LogRecorder::LogRecorder() : _old_config(tnw::tdbg::LogMgr::use_instance().get_config())
{
    active_recorder = this;
    // Leaves any earlier callback mode first, so that this callback is taken.
    tnw::tdbg::LogMgr::create_as_util(_old_config);
    tnw::tdbg::LogMgr::create_as_plugin("test", &LogRecorder::receive);
}

LogRecorder::~LogRecorder()
{
    tnw::tdbg::LogMgr::create_as_util(_old_config);
    active_recorder = nullptr;
}

std::vector<LogRecord> LogRecorder::get_records() const
{
    const std::lock_guard<std::mutex> lock(_mutex);
    return _records;
}

void LogRecorder::clear()
{
    const std::lock_guard<std::mutex> lock(_mutex);
    _records.clear();
}

// The debug log passes no null text.
int LogRecorder::receive(int cmd, void* data)
{
    LogRecorder* recorder = active_recorder;
    if (recorder == nullptr || cmd != tnw::tdbg::LogMgr::CMD_WRITE) {
        return -1;
    }
    const auto& c = *static_cast<const tnw::tdbg::LogMgr::WriteCmd*>(data);
    const std::lock_guard<std::mutex> lock(recorder->_mutex);
    recorder->_records.push_back(
        {c.module, c.level, c.msg, c.file, c.function, c.line, c.cache_flag != 0});
    return 0;
}

} // namespace test_support
