#include "platform/ui/ProgramLauncher.h"

#include <QCoreApplication>
#include <QSocketNotifier>
#include <QTimer>
#include <array>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace ferrolux {
namespace {

// Without process descriptors (kernels before 5.3) the end is polled.
constexpr int pollMs = 250;

constexpr std::array crashSignals = {SIGSEGV, SIGABRT, SIGBUS, SIGILL, SIGFPE, SIGSYS};

// What the status of an ended program says went wrong; empty when nothing
// did. Ends by a signal the user or the session sends are no error.
QString failureOf(int status) {
    if (WIFEXITED(status))
        return WEXITSTATUS(status) == 0
                   ? QString()
                   : QStringLiteral("It ended with exit status %1.").arg(WEXITSTATUS(status));
    if (!WIFSIGNALED(status)) return {};
    const int signal = WTERMSIG(status);
    for (int crash : crashSignals)
        if (signal == crash)
            return QStringLiteral("It ended with signal %1 (%2).")
                .arg(signal)
                .arg(QString::fromLocal8Bit(::strsignal(signal)));
    return {};
}

// Waits for one started program from the event loop and reaps it. The
// failure is reported after the watcher is done with: the report may open a
// modal box, whose event loop would otherwise run this watcher again (its
// process descriptor stays readable) and delete it under the first call.
class ExitWatch : public QObject {
public:
    ExitWatch(pid_t pid, std::vector<std::string> command, LaunchFailed failed)
        : QObject(QCoreApplication::instance()), pid_(pid), command_(std::move(command)),
          failed_(std::move(failed)) {
        pidFd_ = int(::syscall(SYS_pidfd_open, pid, 0));
        if (pidFd_ >= 0) {
            auto* notifier = new QSocketNotifier(pidFd_, QSocketNotifier::Read, this);
            connect(notifier, &QSocketNotifier::activated, this, [this, notifier] {
                if (reaped()) notifier->setEnabled(false);
            });
            return;
        }
        auto* poll = new QTimer(this);
        connect(poll, &QTimer::timeout, this, [this, poll] {
            if (reaped()) poll->stop();
        });
        poll->start(pollMs);
    }
    ~ExitWatch() override {
        if (pidFd_ >= 0) ::close(pidFd_);
    }

private:
    bool reaped() {
        int status = 0;
        const pid_t ended = ::waitpid(pid_, &status, WNOHANG);
        if (ended == 0 || (ended < 0 && errno == EINTR)) return false;
        const QString failure = ended == pid_ ? failureOf(status) : QString();
        if (!failure.isEmpty() && failed_)
            QMetaObject::invokeMethod(
                QCoreApplication::instance(),
                [failed = std::move(failed_), report = LaunchFailure{command_, failure}] {
                    failed(report);
                },
                Qt::QueuedConnection);
        deleteLater();
        return true;
    }

    pid_t pid_;
    int pidFd_ = -1;
    std::vector<std::string> command_;
    LaunchFailed failed_;
};

} // namespace

void launchWatched(const std::vector<std::string>& command, LaunchFailed failed) {
    if (command.empty()) return;
    std::vector<std::string> args = command;
    std::vector<char*> argv;
    for (std::string& arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    posix_spawnattr_t attributes;
    ::posix_spawnattr_init(&attributes);
    ::posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSID);
    pid_t pid = 0;
    const int error = ::posix_spawnp(&pid, argv[0], nullptr, &attributes, argv.data(), environ);
    ::posix_spawnattr_destroy(&attributes);
    if (error != 0) {
        if (failed)
            failed({command, QStringLiteral("It could not be started: %1.")
                                 .arg(QString::fromLocal8Bit(std::strerror(error)))});
        return;
    }
    new ExitWatch(pid, command, std::move(failed));
}

} // namespace ferrolux
