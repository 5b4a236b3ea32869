#pragma once

#include "support/HangGuard.h"

#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <functional>
#include <future>
#include <grp.h>
#include <optional>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace test_support {

// Owner and group of a file, -1 when they cannot be told.
struct FileOwner
{
    long owner = -1;
    long group = -1;
    bool operator==(const FileOwner& other) const = default;
};

// Of the file at path, links followed.
inline FileOwner owner_of(const std::string& path)
{
    struct stat st
    {
    };
    if (::stat(path.c_str(), &st) != 0) {
        return {};
    }
    return {long(st.st_uid), long(st.st_gid)};
}

// False when this process may not give the file away.
inline bool give_file(const std::string& path, FileOwner to)
{
    return ::chown(path.c_str(), uid_t(to.owner), gid_t(to.group)) == 0;
}

inline bool is_superuser()
{
    return ::geteuid() == 0;
}

// Runs job (which must not throw) in a child process and returns the text it returned, or
// nothing when the child could not be run or ended otherwise. Failures the job meets cannot
// be reported from the child: it returns what the test then checks.
inline std::optional<std::string> run_in_child(const std::function<std::string()>& job)
{
    int ends[2] = {-1, -1};
    if (::pipe(ends) != 0) {
        return std::nullopt;
    }
    const pid_t pid = ::fork();
    if (pid == 0) {
        static_cast<void>(::close(ends[0]));
        const std::string text = job();
        std::size_t sent = 0;
        for (ssize_t done = 0; sent < text.size() && done >= 0; sent += std::size_t(done)) {
            done = ::write(ends[1], text.data() + sent, text.size() - sent);
        }
        ::_exit(sent == text.size() ? 0 : 1);
    }
    static_cast<void>(::close(ends[1]));
    std::string text;
    char buffer[256];
    for (ssize_t got = 0; pid > 0 && (got = ::read(ends[0], buffer, sizeof buffer)) != 0;) {
        if (got > 0) {
            text.append(buffer, std::size_t(got));
        } else if (errno != EINTR) {
            break;
        }
    }
    static_cast<void>(::close(ends[0]));
    int status = 0;
    if (pid < 0 || ::waitpid(pid, &status, 0) != pid || !WIFEXITED(status) ||
        WEXITSTATUS(status) != 0) {
        return std::nullopt;
    }
    return text;
}

// Runs job in a child process of this superuser process that has given up its rights (user
// and group 65534, no other groups) and returns job's result, or -1 when this process is not
// the superuser or the child could not be run.
inline int run_unprivileged(const std::function<int()>& job)
{
    if (!is_superuser()) {
        return -1;
    }
    const std::optional<std::string> result = run_in_child([&job] {
        const bool dropped =
            ::setgroups(0, nullptr) == 0 && ::setgid(65534) == 0 && ::setuid(65534) == 0;
        return dropped ? std::to_string(job()) : std::string();
    });
    return result && !result->empty() ? std::stoi(*result) : -1;
}

// A pipe with its reading end open (without waiting for a writer), so that a writer can open
// it: a named pipe at path, or without one an unnamed pipe whose writing end this process
// holds, reached through the descriptor's link writer_path(); read_all() takes what was
// written so far.
class FifoReader
{
public:
    explicit FifoReader(const std::string& path)
    {
        if (::mkfifo(path.c_str(), 0600) == 0) {
            _fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK);
        }
    }
    FifoReader()
    {
        int ends[2] = {-1, -1};
        if (::pipe(ends) == 0) {
            _fd = ends[0];
            _write_fd = ends[1];
            static_cast<void>(::fcntl(_fd, F_SETFL, O_NONBLOCK));
        }
    }
    FifoReader(const FifoReader&) = delete;
    FifoReader& operator=(const FifoReader&) = delete;
    ~FifoReader()
    {
        for (const int fd : {_fd, _write_fd}) {
            if (fd >= 0) {
                static_cast<void>(::close(fd));
            }
        }
    }

    [[nodiscard]] bool is_open() const { return _fd >= 0; }
    [[nodiscard]] std::string writer_path() const
    {
        return "/proc/self/fd/" + std::to_string(_write_fd);
    }

    [[nodiscard]] std::string read_all() const
    {
        std::string text;
        char buffer[256];
        ssize_t got = 0;
        while ((got = ::read(_fd, buffer, sizeof(buffer))) > 0) {
            text.append(buffer, std::size_t(got));
        }
        return text;
    }

private:
    int _fd = -1;
    int _write_fd = -1;
};

// Runs job (which must not throw) on a thread of its own and tells whether it returned
// before the hang guard ran out. A job still running then is taken to wait in opening the named
// pipe at fifo for reading: the pipe is opened for writing and closed again until the job returns,
// so that a test of a job that blocks on a pipe fails instead of hanging.
inline bool returns_without_a_pipe_writer(const std::string& fifo, const std::function<void()>& job)
{
    std::promise<void> done;
    std::future<void> finished = done.get_future();
    std::thread runner([&job, &done] {
        job();
        done.set_value();
    });
    const bool in_time = finished.wait_for(HANG_GUARD) == std::future_status::ready;
    while (finished.wait_for(std::chrono::milliseconds(10)) != std::future_status::ready) {
        const int fd = ::open(fifo.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
        if (fd >= 0) {
            static_cast<void>(::close(fd));
        }
    }
    runner.join();
    return in_time;
}

} // namespace test_support
