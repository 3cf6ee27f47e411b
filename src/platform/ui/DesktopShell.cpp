#include "platform/ui/DesktopShell.h"

#include "platform/posix/OpenPath.h"
#include "platform/posix/UniqueFd.h"
#include "platform/ui/ProgramLauncher.h"
#include "platform/DisplayText.h"

#include <QMimeDatabase>
#include <QProcess>
#include <QStandardPaths>

namespace ferrolux {
namespace {

constexpr int QueryTimeoutMs = 5000;
constexpr size_t SniffBytes = 4096;

QString defaultApplicationFor(const QString& xdgMime, const QString& mimeType) {
    QProcess query;
    query.start(xdgMime, {QStringLiteral("query"), QStringLiteral("default"), mimeType});
    if (!query.waitForFinished(QueryTimeoutMs)) {
        query.kill();
        query.waitForFinished();
        return {};
    }
    return QString::fromUtf8(query.readAllStandardOutput()).trimmed();
}

QString baseName(const std::string& path) {
    const size_t slash = path.rfind('/');
    return displayText(slash == std::string::npos ? path : path.substr(slash + 1));
}

// The start of the file, for types told by content.
QByteArray fileHead(const std::string& path) {
    QByteArray head(SniffBytes, Qt::Uninitialized);
    UniqueFd fd(openRegularFile(path));
    const ssize_t got = fd ? ::read(fd.get(), head.data(), SniffBytes) : 0;
    head.resize(std::max<qsizetype>(got, 0));
    return head;
}

} // namespace

bool hasAssociatedApplication(const std::string& path) {
    const QString xdgMime = QStandardPaths::findExecutable(QStringLiteral("xdg-mime"));
    if (xdgMime.isEmpty()) return true;
    const QMimeType type =
        QMimeDatabase().mimeTypeForFileNameAndData(baseName(path), fileHead(path));
    const QStringList candidates = QStringList{type.name()} + type.allAncestors();
    for (const QString& candidate : candidates)
        if (!defaultApplicationFor(xdgMime, candidate).isEmpty()) return true;
    return false;
}

// The desktop's opener is run directly rather than through Qt, so that its
// failures (for example a terminal program and no terminal) can be told.
Shell::OpenResult DesktopShell::openDocument(const std::string& path, LaunchFailed failed) {
    if (!hasAssociatedApplication(path)) return OpenResult::NoAssociation;
    launchWatched({"xdg-open", path}, std::move(failed));
    return OpenResult::Opened;
}

void DesktopShell::start(const std::vector<std::string>& programAndArguments, LaunchFailed failed) {
    launchWatched(programAndArguments, std::move(failed));
}

bool DesktopShell::isInstalled(const QString& program) const {
    return !QStandardPaths::findExecutable(program).isEmpty();
}

} // namespace ferrolux
