#include "RunProgram.h"

#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace ferrolux::test {
namespace {

void drain(int outFd, int errFd, ProgramResult& result) {
    pollfd fds[2] = {{outFd, POLLIN, 0}, {errFd, POLLIN, 0}};
    std::string* sinks[2] = {&result.out, &result.err};
    int open = 2;
    char buffer[65536];
    while (open > 0) {
        if (::poll(fds, 2, -1) < 0) break;
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || !(fds[i].revents & (POLLIN | POLLHUP | POLLERR))) continue;
            const ssize_t n = ::read(fds[i].fd, buffer, sizeof buffer);
            if (n > 0) {
                sinks[i]->append(buffer, size_t(n));
            } else {
                ::close(fds[i].fd);
                fds[i].fd = -1;
                --open;
            }
        }
    }
}

// In the child after fork: becomes the program, or ends with status 127.
[[noreturn]] void execOrExit(const std::string& program,
                             const std::vector<std::string>& arguments) {
    std::vector<char*> argv{const_cast<char*>(program.c_str())};
    for (const std::string& a : arguments)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    ::execv(program.c_str(), argv.data());
    ::_exit(127);
}

} // namespace

ProgramResult runProgram(const std::string& program, const std::vector<std::string>& arguments,
                         const std::string& workingDirectory, OpenFileLimit limit) {
    int out[2], err[2];
    if (::pipe(out) != 0 || ::pipe(err) != 0) return {};
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::dup2(out[1], 1);
        ::dup2(err[1], 2);
        ::close(out[0]);
        ::close(err[0]);
        if (!workingDirectory.empty() && ::chdir(workingDirectory.c_str()) != 0) ::_exit(127);
        if (limit.soft > 0) {
            const rlimit files{limit.soft, limit.hard};
            if (::setrlimit(RLIMIT_NOFILE, &files) != 0) ::_exit(127);
        }
        execOrExit(program, arguments);
    }
    ::close(out[1]);
    ::close(err[1]);
    ProgramResult result;
    drain(out[0], err[0], result);
    int status = 0;
    rusage usage{};
    ::wait4(pid, &status, 0, &usage);
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    result.peakKiB = usage.ru_maxrss;
    return result;
}

RunningProgram::RunningProgram(const std::string& program,
                               const std::vector<std::string>& arguments) {
    int err[2];
    if (::pipe2(err, O_CLOEXEC) != 0) return;
    pid_ = ::fork();
    if (pid_ == 0) {
        ::dup2(err[1], 2);
        const int devNull = ::open("/dev/null", O_RDWR);
        ::dup2(devNull, 0);
        ::dup2(devNull, 1);
        execOrExit(program, arguments);
    }
    ::close(err[1]);
    errFd_ = err[0];
}

RunningProgram::~RunningProgram() {
    if (pid_ > 0 && !ended_) {
        ::kill(pid_, SIGKILL);
        wait();
    }
    if (errFd_ >= 0) ::close(errFd_);
}

bool RunningProgram::readMore() {
    char buffer[4096];
    const ssize_t n = errFd_ >= 0 ? ::read(errFd_, buffer, sizeof buffer) : 0;
    if (n > 0) err_.append(buffer, size_t(n));
    return n > 0;
}

bool RunningProgram::waitForErr(const std::string& text) {
    while (err_.find(text) == std::string::npos)
        if (!readMore()) return false;
    return true;
}

void RunningProgram::signal(int number) {
    if (pid_ > 0 && !ended_) ::kill(pid_, number);
}

int RunningProgram::wait() {
    if (pid_ > 0 && !ended_) {
        while (readMore()) {
        }
        ::waitpid(pid_, &status_, 0);
        ended_ = true;
    }
    return status_;
}

} // namespace ferrolux::test
