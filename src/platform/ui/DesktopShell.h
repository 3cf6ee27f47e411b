#pragma once

#include "platform/ui/Shell.h"

namespace ferrolux {

// The shell of a Linux desktop: xdg-open for documents, the file-type
// associations as xdg-mime reports them, and programs started in the
// background with their arguments passed through as bytes; failures of what
// was started are reported back.
class DesktopShell : public Shell {
public:
    OpenResult openDocument(const std::string& path, LaunchFailed failed) override;
    void start(const std::vector<std::string>& programAndArguments, LaunchFailed failed) override;
    bool isInstalled(const QString& program) const override;
};

// Whether the desktop has an application for the file's type (or one of the
// types it derives from). true when that cannot be told (no xdg-mime), so the
// opener gets its chance.
bool hasAssociatedApplication(const std::string& path);

} // namespace ferrolux
