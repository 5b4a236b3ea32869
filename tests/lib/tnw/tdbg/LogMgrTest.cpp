#include "lib/tnw/tdbg/LogMgr.h"

#include "lib/tnw/sys/ThreadMgr.h"
#include "lib/tnw/util/LogMgr.h"
#include "support/LogRecorder.h"
#include "support/ScratchFolder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using test_support::ScratchFolder;
using tnw::tdbg::Debugger;
using tnw::tdbg::LogMgr;

std::vector<std::string> split(const std::string& text, char sep)
{
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (std::size_t pos = text.find(sep); pos != std::string::npos; pos = text.find(sep, start)) {
        parts.push_back(text.substr(start, pos - start));
        start = pos + 1;
    }
    parts.push_back(text.substr(start));
    return parts;
}

// The lines of a file, without their line feeds.
std::vector<std::string> read_lines(const std::string& path)
{
    std::vector<std::string> lines = split(ScratchFolder::read(path), '\n');
    if (!lines.empty() && lines.back().empty()) {
        lines.pop_back();
    }
    return lines;
}

// Points the process's log file at a scratch folder for one test.
class GlobalLogFile
{
public:
    GlobalLogFile() : _path(_folder.file("log.txt"))
    {
        EXPECT_EQ(tnw::util::LogMgr::use_instance().open_file(_path.c_str()), 0);
    }
    ~GlobalLogFile() { (void)tnw::util::LogMgr::use_instance().close_file(); }
    [[nodiscard]] std::vector<std::string> lines() const { return read_lines(_path); }

private:
    ScratchFolder _folder;
    std::string _path;
};

TEST(DebugLogMgr, UtilRecordWithDefaultConfigHoldsEveryFieldThenTwoTabs)
{
    LogMgr::create_as_util(LogMgr::Config());
    GlobalLogFile log;
    LogMgr::use_instance().write(Debugger::ERROR, "Cannot read", "a/b.cpp, Jan  1 2024",
                                 "int f(long)", 42);
    const std::vector<std::string> lines = log.lines();
    ASSERT_EQ(lines.size(), 2u);
    const std::vector<std::string> fields = split(lines[1], '\t');
    ASSERT_EQ(fields.size(), 11u) << lines[1];
    EXPECT_EQ(std::stol(fields[0]), std::stol(split(lines[0], '\t')[0]) + 1);
    EXPECT_EQ(std::stol(fields[1]), tnw::sys::ThreadMgr::get_current_thread_id());
    const std::vector<std::string> rest(fields.begin() + 3, fields.end());
    EXPECT_EQ(rest,
              (std::vector<std::string>{"main", "ERROR", "Cannot read", "a/b.cpp, Jan  1 2024",
                                        "int f(long)", "42", "", ""}));
}

TEST(DebugLogMgr, PluginModeHandsTheCallbackOneWriteRecord)
{
    test_support::LogRecorder recorder;
    LogMgr::use_instance().write(Debugger::INFO, "started", "f.cpp", "g()", 7);
    LogMgr::use_instance().write_cache(Debugger::DEBUG, "cached", "f.cpp", "g()", 8);
    const auto records = recorder.get_records();
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].module, "test");
    EXPECT_EQ(records[0].level, Debugger::INFO);
    EXPECT_EQ(records[0].msg, "started");
    EXPECT_EQ(records[0].file, "f.cpp");
    EXPECT_EQ(records[0].function, "g()");
    EXPECT_EQ(records[0].line, 7);
    EXPECT_FALSE(records[0].cache_flag);
    EXPECT_TRUE(records[1].cache_flag);
}

} // namespace
