#include "bench/child_process.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <poll.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace k10bench {

ChildRun runChild(const std::vector<std::string>& argv, const std::vector<std::string>& extraEnvironment,
                  const std::string& folder, int timeoutSeconds) {
    // Everything the child needs is prepared before fork: between fork and exec only async-signal-safe
    // calls are allowed.
    std::vector<char*> args;
    for (const std::string& arg : argv)
        args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);
    std::vector<char*> environment;
    for (char** variable = environ; *variable; ++variable)
        environment.push_back(*variable);
    for (const std::string& variable : extraEnvironment)
        environment.push_back(const_cast<char*>(variable.c_str()));
    environment.push_back(nullptr);

    ChildRun run;
    int out[2], err[2];
    if (::pipe(out) != 0)
        return run;
    if (::pipe(err) != 0) {
        ::close(out[0]);
        ::close(out[1]);
        return run;
    }
    auto started = std::chrono::steady_clock::now();
    pid_t pid = ::fork();
    if (pid == 0) {
        ::dup2(out[1], STDOUT_FILENO);
        ::dup2(err[1], STDERR_FILENO);
        for (int fd : {out[0], out[1], err[0], err[1]})
            ::close(fd);
        if (::chdir(folder.c_str()) != 0)
            ::_exit(127);
        ::execve(args[0], args.data(), environment.data());
        ::_exit(127);
    }
    ::close(out[1]);
    ::close(err[1]);
    if (pid < 0) {
        ::close(out[0]);
        ::close(err[0]);
        return run;
    }

    // Both pipes are read as the child writes, so that it never blocks on a full one.
    auto deadline = started + std::chrono::seconds(timeoutSeconds);
    bool timedOut = false;
    pollfd pipes[2] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}};
    std::string* texts[2] = {&run.output, &run.errors};
    int open = 2;
    while (open > 0) {
        if (::poll(pipes, 2, 100) > 0) {
            for (int i = 0; i < 2; ++i) {
                if (pipes[i].fd < 0 || !(pipes[i].revents & (POLLIN | POLLHUP | POLLERR)))
                    continue;
                char buffer[4096];
                ssize_t got = ::read(pipes[i].fd, buffer, sizeof buffer);
                if (got > 0) {
                    texts[i]->append(buffer, static_cast<std::size_t>(got));
                } else if (got == 0 || errno != EINTR) {
                    ::close(pipes[i].fd);
                    pipes[i].fd = -1;
                    --open;
                }
            }
        }
        if (std::chrono::steady_clock::now() > deadline) {
            timedOut = true;
            ::kill(pid, SIGKILL);
            break;
        }
    }
    for (pollfd& pipe : pipes)
        if (pipe.fd >= 0)
            ::close(pipe.fd);

    int status = 0;
    rusage usage{};
    while (::wait4(pid, &status, 0, &usage) < 0 && errno == EINTR) {
    }
    run.wallMs =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - started).count();
    run.exited = !timedOut && WIFEXITED(status);
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.peakRssBytes = usage.ru_maxrss * 1024L;
    return run;
}

} // namespace k10bench
