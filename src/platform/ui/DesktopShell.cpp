#include "platform/ui/DesktopShell.h"

#include "platform/posix/OpenPath.h"
#include "platform/posix/UniqueFd.h"
#include "search/TextDecoding.h"

#include <QDesktopServices>
#include <QMimeDatabase>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>
#include <cerrno>
#include <spawn.h>
#include <sys/wait.h>

extern char** environ;

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

// A file URL that keeps every byte of the path, valid UTF-8 or not.
QUrl fileUrl(const std::string& path) {
    const QByteArray encoded =
        QByteArray::fromStdString(path).toPercentEncoding(QByteArrayLiteral("/"));
    return QUrl::fromEncoded(QByteArrayLiteral("file://") + encoded);
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

Shell::OpenResult DesktopShell::openDocument(const std::string& path) {
    if (!hasAssociatedApplication(path)) return OpenResult::NoAssociation;
    return QDesktopServices::openUrl(fileUrl(path)) ? OpenResult::Opened : OpenResult::Failed;
}

bool DesktopShell::startDetached(const std::vector<std::string>& programAndArguments) {
    if (programAndArguments.empty()) return false;
    // A shell starts the program in the background and ends at once, so the
    // program outlives no child of ours and needs no reaping.
    std::vector<std::string> args = {"sh", "-c", "\"$@\" &", "sh"};
    args.insert(args.end(), programAndArguments.begin(), programAndArguments.end());
    std::vector<char*> argv;
    for (std::string& arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    if (::posix_spawn(&pid, "/bin/sh", nullptr, nullptr, argv.data(), environ) != 0) return false;
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0)
        if (errno != EINTR) return false;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

bool DesktopShell::isInstalled(const QString& program) const {
    return !QStandardPaths::findExecutable(program).isEmpty();
}

} // namespace ferrolux
