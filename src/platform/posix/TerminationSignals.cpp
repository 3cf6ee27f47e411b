#include "platform/posix/TerminationSignals.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <thread>
#include <unistd.h>

namespace ferrolux {
namespace {

constexpr int kSignals[] = {SIGTERM, SIGINT, SIGHUP};

int signalPipe[2] = {-1, -1};
pid_t installedIn = 0;

// Async-signal-safe: only getpid, write, signal and raise.
void onSignal(int signal) {
    const int saved = errno;
    if (::getpid() != installedIn) {
        // A forked child that has not run a program yet: its parent's
        // cleanup is not its business.
        std::signal(signal, SIG_DFL);
        ::raise(signal);
    }
    const unsigned char number = static_cast<unsigned char>(signal);
    [[maybe_unused]] const ssize_t written = ::write(signalPipe[1], &number, 1);
    errno = saved;
}

void cleanUpAndEnd(void (*cleanup)()) {
    unsigned char number = 0;
    for (;;) {
        const ssize_t got = ::read(signalPipe[0], &number, 1);
        if (got == 1) break;
        if (got == 0 || errno != EINTR) return;
    }
    cleanup();
    // Ended by the signal itself, so the parent sees how the process ended.
    std::signal(number, SIG_DFL);
    sigset_t only;
    sigemptyset(&only);
    sigaddset(&only, number);
    ::pthread_sigmask(SIG_UNBLOCK, &only, nullptr);
    ::raise(number);
    ::_exit(128 + number);
}

} // namespace

void runOnTerminationSignals(void (*cleanup)()) {
    static bool installed = false;
    if (installed || ::pipe2(signalPipe, O_CLOEXEC) != 0) return;
    installed = true;
    installedIn = ::getpid();
    std::thread(cleanUpAndEnd, cleanup).detach();
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signal : kSignals)
        ::sigaction(signal, &action, nullptr);
}

} // namespace ferrolux
