#include "lib/tnw/tdbg/LogMgr.h"

#include "lib/tnw/sys/ThreadMgr.h"
#include "lib/tnw/sys/posix/SysLog.h"
#include "lib/tnw/util/LogMgr.h"
#include "support/LogRecorder.h"
#include "support/ScratchFolder.h"
#include "support/posix/EnvVar.h"

#include <gtest/gtest.h>
#include <syslog.h>

#include <atomic>
#include <climits>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <future>
#include <set>
#include <sstream>
#include <string>
#include <thread>
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

std::vector<std::string> read_lines(const std::string& path)
{
    std::vector<std::string> lines = split(ScratchFolder::read(path), '\n');
    if (!lines.empty() && lines.back().empty()) {
        lines.pop_back();
    }
    return lines;
}

// A file line without its number, thread id and seconds: the debug record
// and the writer's tab for the empty scope.
std::string record_of(const std::string& line)
{
    const std::size_t pos = line.find('\t', line.find('\t', line.find('\t') + 1) + 1);
    return (pos == std::string::npos) ? std::string() : line.substr(pos + 1);
}

// Points the process's log file at a scratch folder for one test.
class GlobalLogFile
{
public:
    GlobalLogFile() : _path(_folder.file("log.txt"))
    {
        EXPECT_EQ(tnw::util::LogMgr::use_instance().open_file(_path.c_str()), 0);
    }
    GlobalLogFile(const GlobalLogFile&) = delete;
    GlobalLogFile& operator=(const GlobalLogFile&) = delete;
    ~GlobalLogFile() { (void)tnw::util::LogMgr::use_instance().close_file(); }
    [[nodiscard]] const std::string& path() const { return _path; }
    [[nodiscard]] std::vector<std::string> lines() const { return read_lines(_path); }

private:
    ScratchFolder _folder;
    std::string _path;
};

// Keeps what the system log would receive.
class RecordingSysLog : public tnw::sys::posix::SysLogSinkInterface
{
public:
    RecordingSysLog() { tnw::sys::posix::set_sys_log_sink(this); }
    RecordingSysLog(const RecordingSysLog&) = delete;
    RecordingSysLog& operator=(const RecordingSysLog&) = delete;
    ~RecordingSysLog() override { tnw::sys::posix::set_sys_log_sink(nullptr); }

    void open(const char* ident, int option, int facility, int mask) override
    {
        ident_ptr = ident;
        opened = {option, facility, mask};
    }
    void send(int priority, const char* text) override { sent.push_back({priority, text}); }

    struct Entry
    {
        int priority;
        std::string text;
    };
    const char* ident_ptr = nullptr;
    std::vector<int> opened;
    std::vector<Entry> sent;
};

std::string write_printf(Debugger::Level level, const char* msg)
{
    ::testing::internal::CaptureStdout();
    LogMgr::use_instance().write(level, msg, "f", "fn", 5);
    std::fflush(stdout);
    return ::testing::internal::GetCapturedStdout();
}

// Every test starts and ends in util mode with the default config.
class DebugLogMgr : public ::testing::Test
{
protected:
    void SetUp() override { reset(); }
    void TearDown() override { reset(); }
    static void reset()
    {
        LogMgr::create_as_win32_debugger(LogMgr::Config());
        LogMgr::create_as_util(LogMgr::Config());
    }
};

TEST_F(DebugLogMgr, UtilRecordWithDefaultConfigHoldsEveryFieldThenTwoTabs)
{
    const GlobalLogFile log;
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

TEST_F(DebugLogMgr, ConfigChoosesTheFieldsIndentPrecedesThem)
{
    LogMgr::Config none;
    none.show_level = none.show_file = none.show_function = none.show_line = none.show_module =
        false;
    LogMgr::Config file_line = none;
    file_line.show_file = file_line.show_line = true;
    LogMgr::Config module_function = none;
    module_function.show_module = module_function.show_function = true;
    const struct
    {
        LogMgr::Config config;
        int indent;
        std::string expected;
    } cases[] = {
        {LogMgr::Config(), 0, "main\tINFO\t50% %1%\tf\tfn\t5\t\n"},
        {none, 0, "50% %1%\t\n"},
        {file_line, 0, "50% %1%\tf\t5\t\n"},
        {module_function, 3, "   main\t50% %1%\tfn\t\n"},
        {none, -2, "50% %1%\t\n"},
    };
    for (const auto& c : cases) {
        LogMgr::create_as_util(LogMgr::Config());
        LogMgr::create_as_printf(c.config);
        LogMgr::use_instance().indent(c.indent);
        EXPECT_EQ(write_printf(Debugger::INFO, "50% %1%"), c.expected);
        LogMgr::use_instance().indent(-c.indent);
    }
}

TEST_F(DebugLogMgr, ASecondCreateOfTheSameModeKeepsTheFirstConfig)
{
    LogMgr::Config first;
    first.show_level = false;
    LogMgr::Config second;
    second.show_file = false;
    LogMgr::create_as_printf(LogMgr::Config());
    LogMgr::create_as_util(first);
    LogMgr::create_as_util(second);
    const LogMgr::Config kept = LogMgr::use_instance().get_config();
    EXPECT_FALSE(kept.show_level);
    EXPECT_TRUE(kept.show_file);
    EXPECT_EQ(LogMgr::use_instance().get_mode(), LogMgr::MODE_UTIL);
    EXPECT_STREQ(LogMgr::use_instance().get_module_name(), "main");
}

// Each mode delivers each level as mapped: its name when printed, a system
// log priority (none for OOPS and unknown values), the value itself to a
// callback.
TEST_F(DebugLogMgr, EveryModeDeliversEveryLevel)
{
    const struct
    {
        int level;
        const char* name;
        int priority;
    } cases[] = {
        {0, "OOPS", -1},          {1, "PANIC", LOG_EMERG},
        {2, "ERROR", LOG_ERR},    {3, "WARNING", LOG_WARNING},
        {4, "INFO", LOG_INFO},    {5, "DEBUG", LOG_DEBUG},
        {6, "ASSERT", LOG_DEBUG}, {7, "OOPS", -1},
        {-1, "OOPS", -1},
    };
    for (const auto& c : cases) {
        const auto level = static_cast<Debugger::Level>(c.level);
        LogMgr::create_as_printf(LogMgr::Config());
        EXPECT_EQ(write_printf(level, "m"), std::string("main\t") + c.name + "\tm\tf\tfn\t5\t\n");

        RecordingSysLog syslog;
        LogMgr::create_as_syslog("morvanel");
        LogMgr::use_instance().write(level, "m", "f", "fn", 5);
        if (c.priority < 0) {
            EXPECT_TRUE(syslog.sent.empty()) << c.level;
        } else {
            ASSERT_EQ(syslog.sent.size(), 1u) << c.level;
            EXPECT_EQ(syslog.sent[0].priority, c.priority);
        }

        const test_support::LogRecorder recorder;
        LogMgr::use_instance().write(level, "m", "f", "fn", 5);
        ASSERT_EQ(recorder.get_records().size(), 1u);
        EXPECT_EQ(recorder.get_records()[0].level, c.level);
    }
}

// The system log keeps the pointer it is given: it gets a copy of the
// caller's text. The line goes out whole, however large.
TEST_F(DebugLogMgr, SystemLogGetsACopyOfItsNameAndTheWholeLineNumber)
{
    RecordingSysLog syslog;
    char ident[] = "morvanel";
    LogMgr::create_as_syslog(ident);
    ident[0] = 'X';
    ASSERT_NE(syslog.ident_ptr, nullptr);
    EXPECT_NE(syslog.ident_ptr, ident);
    EXPECT_STREQ(syslog.ident_ptr, "morvanel");
    EXPECT_EQ(syslog.opened, (std::vector<int>{LOG_PID | LOG_NDELAY, LOG_USER, 255}));
    LogMgr::use_instance().write(Debugger::ERROR, "m", "f", "fn", 3'000'000'000L);
    ASSERT_EQ(syslog.sent.size(), 1u);
    EXPECT_EQ(syslog.sent[0].text, "main m f fn 3000000000");
}

// Null texts are empty ones; a missing callback receives nothing.
TEST_F(DebugLogMgr, NullTextsAndANullCallbackAreHarmless)
{
    static std::atomic<int> nbr_null_fields{-1};
    LogMgr::create_as_plugin(nullptr, [](int, void* data) {
        const auto& cmd = *static_cast<LogMgr::WriteCmd*>(data);
        nbr_null_fields = int(cmd.module == nullptr) + int(cmd.msg == nullptr) +
                          int(cmd.file == nullptr) + int(cmd.function == nullptr);
        return 0;
    });
    LogMgr::use_instance().write(Debugger::INFO, nullptr, nullptr, nullptr, 1);
    EXPECT_EQ(nbr_null_fields, 0);

    LogMgr::create_as_printf(LogMgr::Config());
    LogMgr::WriteCmd empty;
    ::testing::internal::CaptureStdout();
    EXPECT_EQ(LogMgr::execute_command(LogMgr::CMD_WRITE, &empty), 0);
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "\tOOPS\t\t\t\t0\t\n");

    LogMgr::create_as_plugin("host", nullptr);
    LogMgr::use_instance().write(Debugger::INFO, "m", "f", "fn", 1);
    EXPECT_EQ(LogMgr::execute_command(LogMgr::CMD_WRITE, &empty), -1);
    EXPECT_EQ(LogMgr::execute_command(LogMgr::CMD_WRITE, nullptr), -1);
}

// The receiving end of a callback sends the record by this process's mode,
// with the record's own module name.
TEST_F(DebugLogMgr, ExecuteCommandRoutesARecordInEachMode)
{
    LogMgr::WriteCmd cmd;
    cmd.module = "host";
    cmd.level = Debugger::WARNING;
    cmd.msg = "m";
    cmd.file = "f";
    cmd.function = "fn";
    cmd.line = 9;
    cmd.cache_flag = 1;
    const std::string record = "host\tWARNING\tm\tf\tfn\t9\t";
    {
        const GlobalLogFile log;
        EXPECT_EQ(LogMgr::execute_command(2, &cmd), -1);
        EXPECT_EQ(LogMgr::execute_command(LogMgr::CMD_WRITE, &cmd), 0);
        EXPECT_EQ(log.lines().size(), 1u); // cached
        tnw::util::LogMgr::use_instance().flush();
        EXPECT_EQ(record_of(log.lines().back()), record + "\t");
    }
    LogMgr::create_as_printf(LogMgr::Config());
    ::testing::internal::CaptureStdout();
    EXPECT_EQ(LogMgr::execute_command(LogMgr::CMD_WRITE, &cmd), 0);
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), record + "\n");
    {
        RecordingSysLog syslog;
        LogMgr::create_as_syslog(nullptr);
        EXPECT_EQ(LogMgr::execute_command(LogMgr::CMD_WRITE, &cmd), 0);
        ASSERT_EQ(syslog.sent.size(), 1u);
        EXPECT_EQ(syslog.sent[0].priority, LOG_WARNING);
        EXPECT_EQ(syslog.sent[0].text, "host m f fn 9");
    }
    {
        const test_support::LogRecorder recorder;
        EXPECT_EQ(LogMgr::execute_command(2, &cmd), -1);
        EXPECT_EQ(LogMgr::execute_command(LogMgr::CMD_WRITE, &cmd), 0);
        ASSERT_EQ(recorder.get_records().size(), 1u);
        EXPECT_EQ(recorder.get_records()[0].module, "host");
        EXPECT_TRUE(recorder.get_records()[0].cache_flag);
    }
    LogMgr::create_as_win32_debugger(LogMgr::Config());
    ::testing::internal::CaptureStdout();
    EXPECT_EQ(LogMgr::execute_command(LogMgr::CMD_WRITE, &cmd), 0);
    LogMgr::use_instance().write(Debugger::ERROR, "m", "f", "fn", 1);
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "");
}

// Only a file text that starts like this project's own paths loses its
// leading part; a shorter or foreign one stays whole.
TEST_F(DebugLogMgr, ScopeCropAppliesOnlyToTextsWithTheSamePrefix)
{
    const std::string test_path = __FILE__;
    const std::string root = test_path.substr(0, test_path.rfind("tests/"));
    const std::string own = root + "src/lib/x.cpp, Jan  1 2024";
    const struct
    {
        const char* marker;
        std::string file;
        std::string expected;
    } cases[] = {
        {"no-such-marker/", own, own},
        {"/src/", own, "lib/x.cpp, Jan  1 2024"},
        {"/src/", "x.cpp", "x.cpp"},
        {"/src/", "/elsewhere/src/y.cpp", "/elsewhere/src/y.cpp"},
        {nullptr, own, "lib/x.cpp, Jan  1 2024"},
        {"", own, own},
    };
    const test_support::LogRecorder recorder;
    for (const auto& c : cases) {
        LogMgr::set_scope_crop(c.marker);
        LogMgr::use_instance().write(Debugger::INFO, "m", c.file.c_str(), "fn", 1);
        EXPECT_EQ(recorder.get_records().back().file, c.expected) << c.file;
    }
}

TEST_F(DebugLogMgr, LogsFolderMadeWithoutAShell)
{
    const ScratchFolder scratch;
    const std::string state = scratch.file("state");
    const test_support::EnvVar xdg("XDG_STATE_HOME", state.c_str());
    const char* folder = "Tarnwick; touch pwned";
    LogMgr::create_as_util_library_logs(folder, "Tarnwick Morvanel VST.log.txt", LogMgr::Config());
    const std::string path = state + "/" + folder + "/Tarnwick Morvanel VST.log.txt";
    EXPECT_EQ(tnw::util::LogMgr::use_instance().get_filename(), path);
    (void)tnw::util::LogMgr::use_instance().close_file();
    EXPECT_EQ(record_of(read_lines(path).at(0)), "Log started\t");
    EXPECT_FALSE(std::filesystem::exists("pwned"));
}

TEST_F(DebugLogMgr, WithoutAHomeNoLogFileIsOpened)
{
    const test_support::EnvVar home("HOME", nullptr);
    const test_support::EnvVar xdg("XDG_STATE_HOME", nullptr);
    ::testing::internal::CaptureStdout();
    LogMgr::create_as_util_library_logs("Tarnwick", "log.txt", LogMgr::Config());
    EXPECT_EQ(::testing::internal::GetCapturedStdout(),
              "find_user_folder LOGS failed: neither XDG_STATE_HOME nor HOME is an absolute "
              "path\n");
    EXPECT_EQ(tnw::util::LogMgr::use_instance().get_filename(), "");
}

TEST_F(DebugLogMgr, EscapeSlashDoublesEverySlash)
{
    std::string text = "/a//b/";
    LogMgr::escape_slash(text);
    EXPECT_EQ(text, "//a////b//");
}

// Writers on 8 threads, through the cache and directly, while the indent
// changes: every line arrives once, whole, in each thread's order.
TEST_F(DebugLogMgr, WritersOnEightThreadsLoseAndInterleaveNoLine)
{
    constexpr int NBR_THREADS = 8;
    constexpr int NBR_LINES = 400;
    const GlobalLogFile log;
    std::atomic<bool> done{false};
    std::thread indenter([&done] {
        while (!done) {
            LogMgr::use_instance().indent(1);
            LogMgr::use_instance().indent(-1);
        }
    });
    std::vector<std::thread> writers;
    for (int t = 0; t < NBR_THREADS; ++t) {
        writers.emplace_back([t] {
            const std::string payload(200, char('a' + t));
            for (int i = 0; i < NBR_LINES; ++i) {
                const std::string msg = std::to_string(t) + " " + std::to_string(i) + " " + payload;
                LogMgr& mgr = LogMgr::use_instance();
                (i % 2 == 0) ? mgr.write_cache(Debugger::INFO, msg.c_str(), "f", "fn", i)
                             : mgr.write(Debugger::INFO, msg.c_str(), "f", "fn", i);
            }
        });
    }
    for (std::thread& w : writers) {
        w.join();
    }
    done = true;
    indenter.join();
    tnw::util::LogMgr::use_instance().flush();

    const std::vector<std::string> lines = log.lines();
    ASSERT_EQ(lines.size(), std::size_t(1 + NBR_THREADS * NBR_LINES));
    std::vector<int> next(NBR_THREADS, 0);
    const long first = std::stol(lines[0]);
    for (std::size_t n = 1; n < lines.size(); ++n) {
        ASSERT_EQ(std::stol(lines[n]), first + long(n));
        std::string record = record_of(lines[n]);
        record.erase(0, record.find_first_not_of(' '));
        int t = -1;
        int i = -1;
        char payload[256] = {};
        ASSERT_EQ(std::sscanf(record.c_str(), "main\tINFO\t%d %d %255[a-z]", &t, &i, payload), 3)
            << record;
        ASSERT_TRUE(t >= 0 && t < NBR_THREADS);
        EXPECT_EQ(i, next[t]++);
        EXPECT_EQ(record, "main\tINFO\t" + std::to_string(t) + " " + std::to_string(i) + " " +
                              std::string(200, char('a' + t)) + "\tf\tfn\t" + std::to_string(i) +
                              "\t\t");
    }
}

// Runs body in a fresh process, where nothing has used the debug log yet;
// body returns what went wrong, empty when nothing did.
template <typename Body>
void run_in_fresh_process(Body body)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            const std::string fault = body();
            std::fprintf(stderr, "%s", fault.c_str());
            std::exit(fault.empty() ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
}

TEST(DebugLogMgrFresh, FirstUsesOnEightThreadsMakeOneUtilInstance)
{
    run_in_fresh_process([] {
        std::promise<void> go;
        const std::shared_future<void> start = go.get_future().share();
        std::vector<std::future<LogMgr*>> users;
        for (int t = 0; t < 8; ++t) {
            users.push_back(std::async(std::launch::async, [start] {
                start.wait();
                return &LogMgr::use_instance();
            }));
        }
        go.set_value();
        std::set<LogMgr*> instances;
        for (auto& user : users) {
            instances.insert(user.get());
        }
        const LogMgr& mgr = **instances.begin();
        const LogMgr::Config config = mgr.get_config();
        const bool defaults = config.show_level && config.show_file && config.show_function &&
                              config.show_line && config.show_module && !config.indent_threads &&
                              config.thread_indent_spaces == 0;
        std::ostringstream fault;
        if (instances.size() != 1 || mgr.get_mode() != LogMgr::MODE_UTIL ||
            std::string(mgr.get_module_name()) != "main" || !defaults) {
            fault << instances.size() << " instances, mode " << mgr.get_mode() << ", module "
                  << mgr.get_module_name() << ", default config " << defaults;
        }
        return fault.str();
    });
}

// The first thread seen gets no indent, the second 2 blanks, the third 4;
// an ended thread's place goes to the next new thread.
TEST(DebugLogMgrFresh, ThreadsIndentedByOrdinalWhichEndedThreadsHandOn)
{
    run_in_fresh_process([] {
        LogMgr::Config config;
        config.indent_threads = true;
        config.thread_indent_spaces = 2;
        config.show_level = config.show_file = config.show_function = config.show_line = false;
        LogMgr::create_as_printf(config);
        ::testing::internal::CaptureStdout();
        LogMgr::use_instance().write(Debugger::INFO, "main", "", "", 0);
        std::promise<void> release;
        const std::shared_future<void> released = release.get_future().share();
        auto write_then_wait = [released](const char* msg, std::promise<void>* written) {
            LogMgr::use_instance().write(Debugger::INFO, msg, "", "", 0);
            written->set_value();
            released.wait();
        };
        std::promise<void> second_written;
        std::thread second(write_then_wait, "second", &second_written);
        second_written.get_future().wait();
        std::promise<void> third_written;
        std::thread third(write_then_wait, "third", &third_written);
        third_written.get_future().wait();
        release.set_value();
        second.join();
        third.join();
        for (int i = 0; i < 20; ++i) {
            std::thread([] {
                LogMgr::use_instance().write(Debugger::INFO, "later", "", "", 0);
            }).join();
        }
        std::fflush(stdout);
        std::string expected = "main\tmain\t\n  main\tsecond\t\n    main\tthird\t\n";
        for (int i = 0; i < 20; ++i) {
            expected += "  main\tlater\t\n";
        }
        const std::string got = ::testing::internal::GetCapturedStdout();
        return (got == expected) ? std::string() : "got:\n" + got;
    });
}

TEST(DebugLogMgrDeath, WriteDumpAbortWritesTheRecordThenAborts)
{
    const ScratchFolder folder;
    const std::string path = folder.file("abort.txt");
    EXPECT_EXIT(
        {
            LogMgr::create_as_util(LogMgr::Config());
            if (tnw::util::LogMgr::use_instance().open_file(path.c_str()) == 0) {
                LogMgr::use_instance().write_dump_abort(Debugger::PANIC, "fatal", "f", "fn", 3);
            }
        },
        ::testing::KilledBySignal(SIGABRT), "");
    EXPECT_EQ(record_of(read_lines(path).back()), "main\tPANIC\tfatal\tf\tfn\t3\t\t");
}

} // namespace
