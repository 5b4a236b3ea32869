#include "lib/tnw/util/LogMgr.h"

#include "lib/tnw/sys/CritSec.h"
#include "lib/tnw/sys/Mutex.h"
#include "lib/tnw/sys/ThreadMgr.h"
#include "support/CommaLocale.h"
#include "support/LogFileLine.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <thread>

namespace {

using test_support::LogFileLine;
using test_support::read_lines;
using tnw::util::LogMgr;

// A writer of its own, with a file in a scratch folder.
class WriterTest : public ::testing::Test
{
protected:
    void open() { ASSERT_EQ(_writer.open_file(_path.c_str()), 0); }
    [[nodiscard]] std::vector<std::string> lines() const { return read_lines(_path); }
    [[nodiscard]] std::string last_rest() const { return LogFileLine(lines().back()).rest; }

    test_support::ScratchFolder _folder;
    std::string _path = _folder.file("log.txt");
    tnw::sys::Mutex _mutex;
    LogMgr _writer{_mutex};
};

// Under a decimal-comma locale too: the seconds always take a '.'.
TEST_F(WriterTest, LineFormsFromLogStartedOn)
{
    const test_support::CommaLocale comma;
    open();
    const LogFileLine first(lines().at(0));
    EXPECT_TRUE(first.ok && first.ord == 0 && first.rest == "Log started\t") << lines()[0];
    EXPECT_EQ(first.thread_id, tnw::sys::ThreadMgr::get_current_thread_id());
    const std::string long_txt(1500, 'a');
    const std::string cut(1023, 'a');
    const struct
    {
        const char* msg;
        const char* scope;
        long line_nbr;
        std::string rest;
    } cases[] = {
        {"m", "Foo::bar()", 12, "m\tFoo::bar(), 12"},
        {"m", "Foo::bar()", 0, "m\tFoo::bar()"},
        {"m", "", -1, "m\t"},
        {nullptr, nullptr, 3, "\t, 3"},
        {long_txt.c_str(), long_txt.c_str(), -1, cut + "\t" + cut},
    };
    for (const auto& c : cases) {
        _writer.write(c.msg, c.scope, c.line_nbr);
        EXPECT_EQ(last_rest(), c.rest);
    }
}

TEST_F(WriterTest, CachedLinesWaitUntilTheRingIsFull)
{
    open();
    for (long i = 0; i < LogMgr::FIFO_CAPACITY - 1; ++i) {
        _writer.write_cache("cached", "", -1);
    }
    EXPECT_TRUE(_writer.needs_flush());
    EXPECT_EQ(lines().size(), 1u);
    _writer.write_cache("one more", "", -1);
    EXPECT_EQ(lines().size(), std::size_t(LogMgr::FIFO_CAPACITY));
    _writer.flush();
    EXPECT_EQ(last_rest(), "one more\t");
}

// Lines cached on another thread before the file exists go out ahead of
// "Log started", numbered first, with the id of the thread that flushed them.
TEST_F(WriterTest, LinesCachedBeforeOpenReachTheFileFirst)
{
    std::thread([this] {
        _writer.write_cache("early 0", "", -1);
        _writer.write_cache("early 1", "", -1);
    }).join();
    open();
    const char* const rests[] = {"early 0\t", "early 1\t", "Log started\t"};
    ASSERT_EQ(lines().size(), 3u);
    for (long i = 0; i < 3; ++i) {
        const LogFileLine line(lines()[std::size_t(i)]);
        EXPECT_EQ(line.ord, i);
        EXPECT_EQ(line.thread_id, tnw::sys::ThreadMgr::get_current_thread_id());
        EXPECT_EQ(line.rest, rests[i]);
    }
}

// After lines 0 to 999,999 nothing more is taken, "Log started" included.
TEST_F(WriterTest, LinesBeyondTheMillionthAreDropped)
{
    for (long i = 0; i < 1'000'000; ++i) {
        _writer.write_cache("x", "", -1);
    }
    open();
    _writer.write("after", "", -1);
    ASSERT_EQ(lines().size(), 1u);
    EXPECT_EQ(LogFileLine(lines()[0]).ord, 999'999);
    EXPECT_EQ(last_rest(), "x\t");
}

TEST_F(WriterTest, OpenRefusalsLeaveNoFileOrTheCurrentOne)
{
    open();
    EXPECT_EQ(_writer.open_file(nullptr), -1);
    EXPECT_EQ(_writer.get_filename(), _path);
    EXPECT_EQ(_writer.open_file(_folder.file("missing/log.txt").c_str()), -1);
    EXPECT_EQ(_writer.get_filename(), "");
    _writer.write("lost", "", -1);
    EXPECT_EQ(lines().size(), 1u);
}

TEST_F(WriterTest, SecondStreamGetsTheMessageAndATab)
{
    std::FILE* aux = std::tmpfile();
    ASSERT_NE(aux, nullptr);
    open();
    _writer.use_aux_stream(aux);
    _writer.write("m1", "scope", 5);
    _writer.write_cache("m2", "scope", 6);
    _writer.stop_using_aux_stream();
    _writer.write("m3", "", -1);
    std::rewind(aux);
    char text[64] = {};
    EXPECT_EQ(std::fread(text, 1, sizeof text - 1, aux), 8u);
    EXPECT_STREQ(text, "m1\t\nm2\t\n");
    std::fclose(aux);
    EXPECT_EQ(lines().size(), 4u);
}

// Every close writes the cached lines and leaves the writer without a file,
// so a later line is not written to a closed stream.
TEST_F(WriterTest, EveryCloseFlushesAndLeavesNoFile)
{
    using tnw::sys::CritSec;
    const struct
    {
        void (*close)(LogMgr& w);
        bool keeps_filename;
    } cases[] = {
        {[](LogMgr& w) { (void)w.close_file(); }, false},
        {[](LogMgr& w) {
             CritSec lock(w.use_mutex(), true);
             (void)w.close_file_no_lock();
         },
         false},
        {[](LogMgr& w) { w.close_file_no_guard(); }, true},
        {[](LogMgr& w) {
             CritSec lock(w.use_mutex(), true);
             w.close_file_no_guard_no_lock();
         },
         true},
    };
    for (int i = 0; i < 4; ++i) {
        open();
        _writer.write_cache("pending", "", -1);
        cases[i].close(_writer);
        _writer.write("after close", "", -1);
        ASSERT_EQ(lines().size(), 2u) << i;
        EXPECT_EQ(last_rest(), "pending\t") << i;
        EXPECT_EQ(_writer.get_filename(), cases[i].keeps_filename ? _path : "") << i;
    }
}

TEST_F(WriterTest, PathReadWhileAnotherThreadOpensAndCloses)
{
    std::thread opener([this] {
        for (int i = 0; i < 200; ++i) {
            EXPECT_EQ(_writer.open_file(_path.c_str()) + _writer.close_file(), 0);
        }
    });
    for (int i = 0; i < 2000; ++i) {
        const std::string name = _writer.get_filename();
        ASSERT_TRUE(name.empty() || name == _path) << name;
    }
    opener.join();
}

TEST(LogWriterInstance, CachedLinesReachTheFileAtExit)
{
    const test_support::ScratchFolder folder;
    const std::string path = folder.file("exit.txt");
    EXPECT_EXIT(
        {
            LogMgr& writer = LogMgr::use_instance();
            const int opened = writer.open_file(path.c_str());
            writer.write_cache("last words", "", -1);
            std::exit(-opened);
        },
        ::testing::ExitedWithCode(0), "");
    ASSERT_EQ(read_lines(path).size(), 2u);
    EXPECT_EQ(LogFileLine(read_lines(path)[1]).rest, "last words\t");
}

} // namespace
