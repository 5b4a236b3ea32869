#pragma once

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace test_support {

// A program run as a child of the test: its arguments, this process's
// environment with `env` ("NAME=VALUE") put over it, standard input and output
// on /dev/null, standard error into the file `err_path`, SIGINT, SIGTERM,
// SIGHUP and SIGXFSZ at their default actions whatever this process does with
// them, and files limited to `max_file_bytes`. A child still running when the
// object goes is killed. One thread at a time.
class ChildProcess
{
public:
    ChildProcess(const std::vector<std::string>& args, const std::vector<std::string>& env,
                 const std::string& err_path, rlim_t max_file_bytes = RLIM_INFINITY)
        : _args(args)
    {
        const auto name_of = [](const std::string& var) { return var.substr(0, var.find('=')); };
        for (char** var = environ; *var != nullptr; ++var) {
            const std::string name = name_of(*var);
            if (std::none_of(env.begin(), env.end(),
                             [&](const std::string& put) { return name_of(put) == name; })) {
                _env.emplace_back(*var);
            }
        }
        _env.insert(_env.end(), env.begin(), env.end());
        std::vector<char*> argv = pointers(_args);
        std::vector<char*> envp = pointers(_env);
        // Only what a forked child of a threaded process may call, from here on.
        _pid = ::fork();
        if (_pid == 0) {
            const rlimit limit{max_file_bytes, max_file_bytes};
            struct sigaction action
            {
            };
            action.sa_handler = SIG_DFL;
            sigset_t none;
            sigemptyset(&none);
            const int null_fd = ::open("/dev/null", O_RDWR);
            const int err_fd = ::open(err_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            if (null_fd < 0 || err_fd < 0 || ::dup2(null_fd, 0) < 0 || ::dup2(null_fd, 1) < 0 ||
                ::dup2(err_fd, 2) < 0 || ::sigprocmask(SIG_SETMASK, &none, nullptr) != 0 ||
                (max_file_bytes != RLIM_INFINITY && ::setrlimit(RLIMIT_FSIZE, &limit) != 0)) {
                ::_exit(126);
            }
            for (const int signal_nbr : {SIGINT, SIGTERM, SIGHUP, SIGXFSZ}) {
                static_cast<void>(::sigaction(signal_nbr, &action, nullptr));
            }
            ::execve(argv[0], argv.data(), envp.data());
            ::_exit(127);
        }
    }
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;
    ~ChildProcess()
    {
        if (_pid > 0) {
            static_cast<void>(::kill(_pid, SIGKILL));
            static_cast<void>(wait(false));
        }
    }

    [[nodiscard]] bool is_started() const { return _pid > 0; }
    // Waits until the child ends, or with `or_stop` until it stops; its status as waitpid()
    // tells it, -1 when there is no child to wait for.
    int wait(bool or_stop)
    {
        int status = 0;
        pid_t got = -1;
        do {
            got = ::waitpid(_pid, &status, or_stop ? WUNTRACED : 0);
        } while (got < 0 && errno == EINTR);
        if (got != _pid) {
            return -1;
        }
        if (!WIFSTOPPED(status)) {
            _pid = -1;
        }
        return status;
    }
    [[nodiscard]] bool send(int signal_nbr) const
    {
        return _pid > 0 && ::kill(_pid, signal_nbr) == 0;
    }

private:
    static std::vector<char*> pointers(std::vector<std::string>& texts)
    {
        std::vector<char*> found;
        for (std::string& text : texts) {
            found.push_back(text.data());
        }
        found.push_back(nullptr);
        return found;
    }

    std::vector<std::string> _args;
    std::vector<std::string> _env;
    pid_t _pid = -1;
};

} // namespace test_support
