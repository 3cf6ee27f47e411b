#pragma once

#include <QString>
#include <functional>
#include <string>
#include <vector>

namespace ferrolux {

// A program that was started for the user and failed: the command as it was
// run, and what went wrong ("could not be started: ...", "ended with exit
// status 4").
struct LaunchFailure {
    std::vector<std::string> command;
    QString reason;
};
// Told at once when a program cannot start, or later, from the event loop,
// when it ends with an error.
using LaunchFailed = std::function<void(const LaunchFailure&)>;

// The desktop's part in the file actions: opening a file with the program
// associated with its type, and starting a program. Behind this interface so
// that tests can record what would be started.
class Shell {
public:
    enum class OpenResult { Opened, NoAssociation };

    virtual ~Shell() = default;

    // Opens the file (a byte path) with the desktop's default application,
    // through the desktop's opener; failed hears when the opener fails.
    virtual OpenResult openDocument(const std::string& path, LaunchFailed failed) = 0;

    // Starts a program without waiting for it; arguments are bytes and reach
    // the program unchanged, one argument each. failed hears when it cannot
    // start or ends with an error.
    virtual void start(const std::vector<std::string>& programAndArguments,
                       LaunchFailed failed) = 0;

    // Whether a program name (or path) can be found to be started.
    virtual bool isInstalled(const QString& program) const = 0;
};

} // namespace ferrolux
