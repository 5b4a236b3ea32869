#include "lib/tnw/tdbg/LogMgr.h"

#include "lib/tnw/sys/ThreadMgr.h"
#include "lib/tnw/sys/posix/SysLog.h"
#include "lib/tnw/util/LogMgr.h"
#include "support/LogFileLine.h"
#include "support/LogRecorder.h"
#include "support/posix/EnvVar.h"

#include <gtest/gtest.h>
#include <syslog.h>

#include <atomic>
#include <csignal>
#include <filesystem>
#include <future>
#include <set>
#include <thread>

namespace {

using test_support::LogFileLine;
using test_support::read_lines;
using tnw::tdbg::Debugger;
using tnw::tdbg::LogMgr;

// Points the process's log file at a scratch folder for one test.
class GlobalLogFile
{
public:
    GlobalLogFile() { EXPECT_EQ(tnw::util::LogMgr::use_instance().open_file(_path.c_str()), 0); }
    GlobalLogFile(const GlobalLogFile&) = delete;
    GlobalLogFile& operator=(const GlobalLogFile&) = delete;
    ~GlobalLogFile() { (void)tnw::util::LogMgr::use_instance().close_file(); }
    [[nodiscard]] std::vector<std::string> lines() const { return read_lines(_path); }

private:
    test_support::ScratchFolder _folder;
    std::string _path = _folder.file("log.txt");
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
    void send(int priority, const char* text) override { sent.emplace_back(priority, text); }

    const char* ident_ptr = nullptr;
    std::vector<int> opened;
    std::vector<std::pair<int, std::string>> sent;
};

// What body prints to standard output.
template <typename Body>
std::string capture_stdout(Body body)
{
    ::testing::internal::CaptureStdout();
    body();
    std::fflush(stdout);
    return ::testing::internal::GetCapturedStdout();
}

void write_record(Debugger::Level level, const char* msg)
{
    LogMgr::use_instance().write(level, msg, "f", "fn", 5);
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
    ASSERT_EQ(log.lines().size(), 2u);
    const LogFileLine line(log.lines()[1]);
    EXPECT_TRUE(line.ok) << log.lines()[1];
    EXPECT_EQ(line.ord, LogFileLine(log.lines()[0]).ord + 1);
    EXPECT_EQ(line.thread_id, tnw::sys::ThreadMgr::get_current_thread_id());
    EXPECT_EQ(line.rest, "main\tERROR\tCannot read\ta/b.cpp, Jan  1 2024\tint f(long)\t42\t\t");
}

// Percent signs in texts print as they are; the first config of a mode stays.
TEST_F(DebugLogMgr, ConfigChoosesTheFieldsIndentPrecedesThem)
{
    LogMgr::Config none;
    none.show_level = none.show_file = none.show_function = none.show_line = false;
    none.show_module = false;
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
        LogMgr::create_as_printf(LogMgr::Config());
        LogMgr::use_instance().indent(c.indent);
        EXPECT_EQ(capture_stdout([] { write_record(Debugger::INFO, "50% %1%"); }), c.expected);
        LogMgr::use_instance().indent(-c.indent);
    }
}

// Each mode delivers each level as mapped: its name when printed, a system
// log priority (none for OOPS and unknown values), the value to a callback.
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
        EXPECT_EQ(capture_stdout([level] { write_record(level, "m"); }),
                  std::string("main\t") + c.name + "\tm\tf\tfn\t5\t\n");
        RecordingSysLog syslog;
        LogMgr::create_as_syslog("morvanel");
        write_record(level, "m");
        EXPECT_EQ(syslog.sent.size(), c.priority < 0 ? 0u : 1u) << c.level;
        EXPECT_EQ(syslog.sent.empty() ? -1 : syslog.sent[0].first, c.priority);
        const test_support::LogRecorder recorder;
        write_record(level, "m");
        EXPECT_EQ(recorder.get_records().at(0).level, c.level);
    }
}

// The system log keeps the pointer it is given: it gets a copy. The line
// number goes out whole, however large.
TEST_F(DebugLogMgr, SystemLogGetsACopyOfItsNameAndTheWholeLineNumber)
{
    RecordingSysLog syslog;
    char ident[] = "morvanel";
    LogMgr::create_as_syslog(ident);
    ident[0] = 'X';
    ASSERT_NE(syslog.ident_ptr, nullptr);
    EXPECT_STREQ(syslog.ident_ptr, "morvanel");
    EXPECT_EQ(syslog.opened, (std::vector<int>{LOG_PID | LOG_NDELAY, LOG_USER, 255}));
    LogMgr::use_instance().write(Debugger::ERROR, "m", "f", "fn", 3'000'000'000L);
    ASSERT_EQ(syslog.sent.size(), 1u);
    EXPECT_EQ(syslog.sent[0].second, "main m f fn 3000000000");
}

// Null texts are empty ones; a missing callback receives nothing.
TEST_F(DebugLogMgr, NullTextsAndANullCallbackAreHarmless)
{
    static std::atomic<int> nbr_null_texts{-1};
    LogMgr::create_as_plugin(nullptr, [](int, void* data) {
        const auto& cmd = *static_cast<LogMgr::WriteCmd*>(data);
        nbr_null_texts = int(cmd.module == nullptr) + int(cmd.msg == nullptr) +
                         int(cmd.file == nullptr) + int(cmd.function == nullptr);
        return 0;
    });
    LogMgr::use_instance().write(Debugger::INFO, nullptr, nullptr, nullptr, 1);
    EXPECT_EQ(nbr_null_texts, 0);
    LogMgr::WriteCmd empty;
    LogMgr::create_as_printf(LogMgr::Config());
    EXPECT_EQ(capture_stdout(
                  [&empty] { EXPECT_EQ(LogMgr::execute_command(LogMgr::CMD_WRITE, &empty), 0); }),
              "\tOOPS\t\t\t\t0\t\n");
    LogMgr::create_as_plugin("host", nullptr);
    write_record(Debugger::INFO, "m");
    EXPECT_EQ(LogMgr::execute_command(LogMgr::CMD_WRITE, &empty), -1);
    EXPECT_EQ(LogMgr::execute_command(LogMgr::CMD_WRITE, nullptr), -1);
}

// The receiving end of a callback sends the record by this process's mode,
// with the record's own module name; another command writes nothing.
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
        EXPECT_EQ(LogFileLine(log.lines().back()).rest, record + "\t");
    }
    LogMgr::create_as_printf(LogMgr::Config());
    EXPECT_EQ(capture_stdout([&cmd] { (void)LogMgr::execute_command(LogMgr::CMD_WRITE, &cmd); }),
              record + "\n");
    {
        RecordingSysLog syslog;
        LogMgr::create_as_syslog(nullptr);
        EXPECT_EQ(LogMgr::execute_command(LogMgr::CMD_WRITE, &cmd), 0);
        EXPECT_EQ(syslog.sent, (decltype(syslog.sent){{LOG_WARNING, "host m f fn 9"}}));
    }
    {
        const test_support::LogRecorder recorder;
        EXPECT_EQ(LogMgr::execute_command(LogMgr::CMD_WRITE, &cmd), 0);
        ASSERT_EQ(recorder.get_records().size(), 1u);
        EXPECT_EQ(recorder.get_records()[0].module, "host");
        EXPECT_TRUE(recorder.get_records()[0].cache_flag);
    }
    LogMgr::create_as_win32_debugger(LogMgr::Config());
    EXPECT_EQ(capture_stdout([&cmd] {
                  EXPECT_EQ(LogMgr::execute_command(LogMgr::CMD_WRITE, &cmd), 0);
                  write_record(Debugger::ERROR, "m");
              }),
              "");
}

// Only a file text that starts like this project's own paths loses its
// leading part; a shorter or foreign one stays whole.
TEST_F(DebugLogMgr, ScopeCropAppliesOnlyToTextsWithTheSamePrefix)
{
    const std::string test_path = __FILE__;
    const std::string own = test_path.substr(0, test_path.rfind("tests/")) + "src/lib/x.cpp";
    const struct
    {
        const char* marker;
        std::string file;
        std::string expected;
    } cases[] = {
        {"no-such-marker/", own, own}, {"/src/", own, "lib/x.cpp"},
        {"/src/", "x.cpp", "x.cpp"},   {"/src/", "/elsewhere/src/y.cpp", "/elsewhere/src/y.cpp"},
        {nullptr, own, "lib/x.cpp"},   {"", own, own},
    };
    const test_support::LogRecorder recorder;
    for (const auto& c : cases) {
        LogMgr::set_scope_crop(c.marker);
        LogMgr::use_instance().write(Debugger::INFO, "m", c.file.c_str(), "fn", 1);
        EXPECT_EQ(recorder.get_records().back().file, c.expected) << c.file;
    }
}

// The folders are made without a shell; without a Logs folder the reason is
// printed on the standard error and no file opened.
TEST_F(DebugLogMgr, LibraryLogsInTheUserLogsFolder)
{
    const test_support::ScratchFolder scratch;
    const std::string state = scratch.file("state");
    const char* folder = "Tarnwick; touch pwned";
    {
        const test_support::EnvVar xdg("XDG_STATE_HOME", state.c_str());
        LogMgr::create_as_util_library_logs(folder, "Morvanel.log.txt", LogMgr::Config());
    }
    const std::string path = state + "/" + folder + "/Morvanel.log.txt";
    EXPECT_EQ(tnw::util::LogMgr::use_instance().get_filename(), path);
    EXPECT_EQ(LogFileLine(read_lines(path).at(0)).rest, "Log started\t");
    EXPECT_FALSE(std::filesystem::exists("pwned"));
    EXPECT_EQ(tnw::util::LogMgr::use_instance().close_file(), 0);

    const test_support::EnvVar home("HOME", nullptr);
    const test_support::EnvVar xdg("XDG_STATE_HOME", nullptr);
    // The reason is a diagnostic: the standard output may carry a program's data.
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(capture_stdout([] {
                  LogMgr::create_as_util_library_logs("Tarnwick", "log.txt", LogMgr::Config());
              }),
              "");
    EXPECT_EQ(::testing::internal::GetCapturedStderr(),
              "find_user_folder LOGS failed: neither XDG_STATE_HOME nor HOME is an absolute "
              "path\n");
    EXPECT_EQ(tnw::util::LogMgr::use_instance().get_filename(), "");
}

// Writers on 8 threads, through the cache and directly, while the indent
// changes: every line arrives once, whole, in each thread's order.
TEST_F(DebugLogMgr, WritersOnEightThreadsLoseAndInterleaveNoLine)
{
    constexpr int NBR_THREADS = 8;
    constexpr int NBR_LINES = 400;
    const auto message = [](int t, int i) {
        return std::to_string(t) + " " + std::to_string(i) + " " + std::string(200, char('a' + t));
    };
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
        writers.emplace_back([t, &message] {
            for (int i = 0; i < NBR_LINES; ++i) {
                const std::string msg = message(t, i);
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
    for (std::size_t n = 1; n < lines.size(); ++n) {
        const LogFileLine line(lines[n]);
        ASSERT_EQ(line.ord, LogFileLine(lines[0]).ord + long(n));
        const std::string record = line.rest.substr(line.rest.find_first_not_of(' '));
        const int t = record.at(10) - '0'; // after "main\tINFO\t"
        ASSERT_TRUE(t >= 0 && t < NBR_THREADS) << record;
        const int i = next[t]++;
        ASSERT_EQ(record,
                  "main\tINFO\t" + message(t, i) + "\tf\tfn\t" + std::to_string(i) + "\t\t");
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
        std::vector<std::future<LogMgr*>> users;
        for (int t = 0; t < 8; ++t) {
            users.push_back(std::async(std::launch::async, [] { return &LogMgr::use_instance(); }));
        }
        std::set<LogMgr*> instances;
        for (auto& user : users) {
            instances.insert(user.get());
        }
        const LogMgr& mgr = **instances.begin();
        const LogMgr::Config c = mgr.get_config();
        const bool defaults = c.show_level && c.show_file && c.show_function && c.show_line &&
                              c.show_module && !c.indent_threads && c.thread_indent_spaces == 0;
        const bool ok = instances.size() == 1 && mgr.get_mode() == LogMgr::MODE_UTIL &&
                        std::string(mgr.get_module_name()) == "main" && defaults;
        return ok ? std::string() : "not one util instance with the defaults";
    });
}

// The first thread seen gets no indent, the second 2 blanks, the third 4; an
// ended thread's place goes to the next new thread.
TEST(DebugLogMgrFresh, ThreadsIndentedByOrdinalWhichEndedThreadsHandOn)
{
    run_in_fresh_process([] {
        LogMgr::Config config;
        config.indent_threads = true;
        config.thread_indent_spaces = 2;
        config.show_level = config.show_file = config.show_function = config.show_line = false;
        LogMgr::create_as_printf(config);
        std::string expected = "main\tfirst\t\n  main\tsecond\t\n    main\tthird\t\n";
        const std::string got = capture_stdout([&expected] {
            write_record(Debugger::INFO, "first");
            std::promise<void> release;
            const std::shared_future<void> released = release.get_future().share();
            const auto write_then_wait = [released](const char* msg, std::promise<void>* written) {
                write_record(Debugger::INFO, msg);
                written->set_value();
                released.wait();
            };
            std::promise<void> written[2];
            std::thread second(write_then_wait, "second", &written[0]);
            written[0].get_future().wait();
            std::thread third(write_then_wait, "third", &written[1]);
            written[1].get_future().wait();
            release.set_value();
            second.join();
            third.join();
            for (int i = 0; i < 20; ++i) {
                std::thread([] { write_record(Debugger::INFO, "later"); }).join();
                expected += "  main\tlater\t\n";
            }
        });
        return (got == expected) ? std::string() : "got:\n" + got;
    });
}

TEST(DebugLogMgrDeath, WriteDumpAbortWritesTheRecordThenAborts)
{
    const test_support::ScratchFolder folder;
    const std::string path = folder.file("abort.txt");
    EXPECT_EXIT(
        {
            LogMgr::create_as_util(LogMgr::Config());
            (void)tnw::util::LogMgr::use_instance().open_file(path.c_str());
            LogMgr::use_instance().write_dump_abort(Debugger::PANIC, "fatal", "f", "fn", 3);
        },
        ::testing::KilledBySignal(SIGABRT), "");
    EXPECT_EQ(LogFileLine(read_lines(path).at(1)).rest, "main\tPANIC\tfatal\tf\tfn\t3\t\t");
}

} // namespace
