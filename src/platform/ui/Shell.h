#pragma once

#include <QString>
#include <string>
#include <vector>

namespace ferrolux {

// The desktop's part in the file actions: opening a file with the program
// associated with its type, and starting a program. Behind this interface so
// that tests can record what would be started.
class Shell {
public:
    enum class OpenResult { Opened, NoAssociation, Failed };

    virtual ~Shell() = default;

    // Opens the file (a byte path) with the desktop's default application.
    virtual OpenResult openDocument(const std::string& path) = 0;

    // Starts a program without waiting for it; arguments are bytes and reach
    // the program unchanged, one argument each. false when it cannot start.
    virtual bool startDetached(const std::vector<std::string>& programAndArguments) = 0;

    // Whether a program name (or path) can be found to be started.
    virtual bool isInstalled(const QString& program) const = 0;
};

} // namespace ferrolux
