#include "settings/EditorCheck.h"

#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <sys/stat.h>
#include <unistd.h>

namespace ferrolux {
namespace {

bool isStoredDefault(const QString& program) {
    return program.compare(QLatin1String("notepad.exe"), Qt::CaseInsensitive) == 0;
}

EditorProblem checkFile(const QString& path) {
    const QByteArray bytes = QFile::encodeName(path);
    struct stat info {};
    if (::stat(bytes.constData(), &info) != 0) return EditorProblem::NotFound;
    if (!S_ISREG(info.st_mode) || ::access(bytes.constData(), X_OK) != 0)
        return EditorProblem::NotExecutable;
    return EditorProblem::None;
}

} // namespace

EditorProblem checkEditor(const QString& command) {
    const QStringList words = QProcess::splitCommand(command);
    if (words.isEmpty()) return EditorProblem::NotFound;
    const QString& program = words.front();
    if (isStoredDefault(program)) return EditorProblem::None;
    if (program.contains(QLatin1Char('/'))) return checkFile(program);
    // A bare name runs from PATH only, never from the current directory.
    return QStandardPaths::findExecutable(program).isEmpty() ? EditorProblem::NotFound
                                                             : EditorProblem::None;
}

QString editorProblemText(EditorProblem problem) {
    switch (problem) {
    case EditorProblem::NotExecutable:
        return QStringLiteral("The specified file is not an executable program file");
    case EditorProblem::NotFound:
        return QStringLiteral("The specified editor was not found");
    case EditorProblem::None:
        break;
    }
    return {};
}

QString editorCommandFor(const QString& programPath) {
    const bool needsQuotes = programPath.contains(QLatin1Char(' ')) ||
                             programPath.contains(QLatin1Char('\t')) ||
                             programPath.contains(QLatin1Char('"'));
    if (!needsQuotes) return programPath;
    // Inside quotes, three quotes stand for one.
    QString quoted = programPath;
    quoted.replace(QLatin1String("\""), QLatin1String("\"\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

} // namespace ferrolux
