#include "support/LogRecorder.h"

#include <atomic>
#include <cassert>

namespace test_support {

namespace {

std::atomic<LogRecorder*> active_recorder{nullptr};

std::string copy_text(const char* txt_0)
{
    return (txt_0 == nullptr) ? std::string() : std::string(txt_0);
}

} // namespace

LogRecorder::LogRecorder() : _old_config(tnw::tdbg::LogMgr::use_instance().get_config())
{
    [[maybe_unused]] LogRecorder* const previous = active_recorder.exchange(this);
    assert(previous == nullptr);
    // Leaves any earlier callback mode first, so that this callback is taken.
    tnw::tdbg::LogMgr::create_as_util(_old_config);
    tnw::tdbg::LogMgr::create_as_plugin("test", &LogRecorder::receive);
}

LogRecorder::~LogRecorder()
{
    tnw::tdbg::LogMgr::create_as_util(_old_config);
    active_recorder.store(nullptr);
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

int LogRecorder::receive(int cmd, void* data)
{
    LogRecorder* recorder = active_recorder.load();
    if (recorder == nullptr || cmd != tnw::tdbg::LogMgr::CMD_WRITE || data == nullptr) {
        return -1;
    }
    const auto& cmd_rec = *static_cast<const tnw::tdbg::LogMgr::WriteCmd*>(data);
    LogRecord rec;
    rec.module = copy_text(cmd_rec.module);
    rec.level = cmd_rec.level;
    rec.msg = copy_text(cmd_rec.msg);
    rec.file = copy_text(cmd_rec.file);
    rec.function = copy_text(cmd_rec.function);
    rec.line = cmd_rec.line;
    rec.cache_flag = cmd_rec.cache_flag != 0;
    const std::lock_guard<std::mutex> lock(recorder->_mutex);
    recorder->_records.push_back(std::move(rec));
    return 0;
}

} // namespace test_support
