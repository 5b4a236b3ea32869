#include "lib/tnw/util/LogMgr.h"

#include "lib/tnw/sys/CritSec.h"
#include "lib/tnw/sys/Mutex.h"
#include "lib/tnw/sys/ThreadMgr.h"
#include "support/CommaLocale.h"
#include "support/ScratchFolder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <regex>
#include <string>
#include <thread>
#include <vector>

namespace {

using test_support::ScratchFolder;
using tnw::util::LogMgr;

std::vector<std::string> read_lines(const std::string& path)
{
    std::vector<std::string> lines;
    std::string text = ScratchFolder::read(path);
    std::size_t start = 0;
    for (std::size_t end = text.find('\n'); end != std::string::npos;
         end = text.find('\n', start)) {
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    EXPECT_EQ(start, text.size()) << "last line without a line feed";
    return lines;
}

// "<number>\t<thread id>\t<seconds>\t" and the rest of a file line.
struct FileLine
{
    long ord = -1;
    long thread_id = 0;
    std::string seconds;
    std::string rest;
};

FileLine parse(const std::string& line)
{
    static const std::regex FORM("^([0-9]+)\t([0-9]+)\t([0-9]+\\.[0-9]{3})\t(.*)$");
    std::smatch m;
    FileLine parsed;
    if (std::regex_match(line, m, FORM)) {
        parsed = {std::stol(m[1]), std::stol(m[2]), m[3], m[4]};
    } else {
        ADD_FAILURE() << "malformed line: " << line;
    }
    return parsed;
}

// A writer of its own, with a file in a scratch folder.
class WriterTest : public ::testing::Test
{
protected:
    void open() { ASSERT_EQ(_writer.open_file(_path.c_str()), 0); }
    [[nodiscard]] std::vector<std::string> lines() const { return read_lines(_path); }

    ScratchFolder _folder;
    std::string _path = _folder.file("log.txt");
    tnw::sys::Mutex _mutex;
    LogMgr _writer{_mutex};
    const long _tid = tnw::sys::ThreadMgr::get_current_thread_id();
};

TEST_F(WriterTest, FreshFileStartsWithLineZeroLogStarted)
{
    open();
    const std::vector<std::string> all = lines();
    ASSERT_EQ(all.size(), 1u);
    const FileLine first = parse(all[0]);
    EXPECT_EQ(first.ord, 0);
    EXPECT_EQ(first.thread_id, _tid);
    EXPECT_EQ(first.rest, "Log started\t");
    EXPECT_EQ(_writer.get_filename(), _path);
}

TEST_F(WriterTest, LineEndsInScopeAndLineNumberAboveZeroTextsCut)
{
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
    };
    open();
    for (const auto& c : cases) {
        _writer.write(c.msg, c.scope, c.line_nbr);
        EXPECT_EQ(parse(lines().back()).rest, c.rest);
    }
    const std::string long_msg(1500, 'a');
    _writer.write(long_msg.c_str(), long_msg.c_str(), -1);
    EXPECT_EQ(parse(lines().back()).rest, std::string(1023, 'a') + "\t" + std::string(1023, 'a'));
}

TEST_F(WriterTest, CachedLinesWaitUntilTheRingIsFull)
{
    open();
    const long nbr_slots = LogMgr::FIFO_CAPACITY - 1;
    for (long i = 0; i < nbr_slots; ++i) {
        _writer.write_cache("cached", "", -1);
    }
    EXPECT_TRUE(_writer.needs_flush());
    EXPECT_EQ(lines().size(), 1u);
    _writer.write_cache("one more", "", -1);
    EXPECT_EQ(lines().size(), std::size_t(1 + nbr_slots));
    _writer.flush();
    EXPECT_EQ(parse(lines().back()).rest, "one more\t");
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
    const std::vector<std::string> all = lines();
    ASSERT_EQ(all.size(), 3u);
    const char* const rests[] = {"early 0\t", "early 1\t", "Log started\t"};
    for (std::size_t i = 0; i < all.size(); ++i) {
        const FileLine line = parse(all[i]);
        EXPECT_EQ(line.ord, long(i));
        EXPECT_EQ(line.thread_id, _tid);
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
    const std::vector<std::string> all = lines();
    ASSERT_FALSE(all.empty());
    EXPECT_EQ(parse(all.back()).ord, 999'999);
    for (const std::string& line : all) {
        EXPECT_EQ(parse(line).rest, "x\t");
    }
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
    const struct
    {
        const char* name;
        void (*close)(LogMgr& w);
        bool keeps_filename;
    } cases[] = {
        {"close_file", [](LogMgr& w) { (void)w.close_file(); }, false},
        {"close_file_no_lock",
         [](LogMgr& w) {
             tnw::sys::CritSec lock(w.use_mutex(), true);
             (void)w.close_file_no_lock();
         },
         false},
        {"close_file_no_guard", [](LogMgr& w) { w.close_file_no_guard(); }, true},
        {"close_file_no_guard_no_lock",
         [](LogMgr& w) {
             tnw::sys::CritSec lock(w.use_mutex(), true);
             w.close_file_no_guard_no_lock();
         },
         true},
    };
    for (const auto& c : cases) {
        open();
        _writer.write_cache("pending", "", -1);
        c.close(_writer);
        _writer.write("after close", "", -1);
        const std::vector<std::string> all = lines();
        ASSERT_EQ(all.size(), 2u) << c.name;
        EXPECT_EQ(parse(all[1]).rest, "pending\t") << c.name;
        EXPECT_EQ(_writer.get_filename(), c.keeps_filename ? _path : "") << c.name;
    }
}

TEST_F(WriterTest, SecondsTakeAPointUnderACommaLocale)
{
    const test_support::CommaLocale comma;
    if (!comma.active()) {
        GTEST_SKIP() << "no decimal-comma locale installed";
    }
    open();
    EXPECT_EQ(parse(lines().at(0)).rest, "Log started\t");
}

// Readers of the path race with opening and closing on another thread.
TEST_F(WriterTest, PathReadWhileAnotherThreadOpensAndCloses)
{
    std::thread opener([this] {
        for (int i = 0; i < 200; ++i) {
            EXPECT_EQ(_writer.open_file(_path.c_str()), 0);
            EXPECT_EQ(_writer.close_file(), 0);
        }
    });
    for (int i = 0; i < 2000; ++i) {
        const std::string name = _writer.get_filename();
        ASSERT_TRUE(name.empty() || name == _path) << name;
    }
    opener.join();
}

// The process-wide writer writes its cached lines when the process exits.
TEST(LogWriterInstance, CachedLinesReachTheFileAtExit)
{
    const ScratchFolder folder;
    const std::string path = folder.file("exit.txt");
    EXPECT_EXIT(
        {
            LogMgr& writer = LogMgr::use_instance();
            if (writer.open_file(path.c_str()) == 0) {
                writer.write_cache("last words", "", -1);
                std::exit(0);
            }
            std::exit(1);
        },
        ::testing::ExitedWithCode(0), "");
    const std::vector<std::string> all = read_lines(path);
    ASSERT_EQ(all.size(), 2u);
    EXPECT_EQ(parse(all[1]).rest, "last words\t");
}

} // namespace
