#include "results/FileActions.h"

#include "platform/MessageBoxA.h"
#include "platform/ui/Shell.h"
#include "results/RegExpTokens.h"
#include "results/RowDisplay.h"
#include "search/TextDecoding.h"

#include <QPointer>
#include <QProcess>
#include <algorithm>
#include <charconv>

namespace ferrolux {

const char* const ZipCopyWarning =
    "When opening or editing a file extracted from a Zip file,\n"
    "you are working on a temporary copy of the extracted file.\n"
    "Any changes you make will NOT be saved to the original Zip file.\n"
    "Do you want to proceed?";
const char* const NoAssociationMessage =
    "Unable to open file - no associated application exists for this extension";

namespace {

// Editors with windows of their own: none needs a terminal.
const char* const DesktopEditors[] = {"gnome-text-editor", "gedit",   "kate",  "kwrite",
                                      "mousepad",          "xed",     "pluma", "featherpad",
                                      "leafpad",           "l3afpad", "geany"};

QStringList platformDefaultEditor(const Shell& shell) {
    for (const char* editor : DesktopEditors)
        if (shell.isInstalled(QLatin1String(editor))) return {QLatin1String(editor)};
    return {QStringLiteral("xdg-open")};
}

// The stored default names a program that Linux desktops do not have.
bool isUnusableDefault(const QStringList& command, const Shell& shell) {
    return command.size() == 1 &&
           command.front().compare(QLatin1String("notepad.exe"), Qt::CaseInsensitive) == 0 &&
           !shell.isInstalled(command.front());
}

} // namespace

FileActions::FileActions(FileActionHost& host, Shell& shell) : host_(host), shell_(shell) {}

void FileActions::View1Click() {
    if (const FileResult* row = host_.selectedFileRow()) openViewer(*row, -1);
}

void FileActions::lstLines1DblClick() {
    const FileResult* row = host_.selectedFileRow();
    const std::optional<SelectedMatch> match = host_.selectedMatch();
    if (!row || !match) return;
    if (const std::optional<int32_t> target = targetMatchFor(*row, *match))
        openViewer(*row, *target);
}

void FileActions::Open1Click() {
    const FileResult* row = host_.selectedFileRow();
    if (!row) return;
    CurrentFilePath = row->fullPath();
    if (!confirmZipCopy(*row)) return;
    const Shell::OpenResult opened = shell_.openDocument(
        CurrentFilePath, reportFailure(QStringLiteral("Unable to open file - the desktop's "
                                                      "opener failed.")));
    if (opened == Shell::OpenResult::NoAssociation)
        MessageBoxA(host_.messageOwner(), QLatin1String(NoAssociationMessage),
                    QStringLiteral("Ferrolux"), MB_OK);
}

void FileActions::Edit1Click() {
    const FileResult* row = host_.selectedFileRow();
    if (!row) return;
    CurrentFilePath = row->fullPath();
    if (!confirmZipCopy(*row)) return;
    shell_.start(editorCommand(host_.settings().Editor, CurrentFilePath, shell_),
                 reportFailure(QStringLiteral("Unable to edit file - the editor failed.")));
}

// The failure may come long after the action, when the program ends.
LaunchFailed FileActions::reportFailure(const QString& what) {
    QPointer<QObject> owner = host_.messageOwner();
    const bool owned = owner;
    return [owner, owned, what](const LaunchFailure& failure) {
        if (owned && !owner) return; // the window is gone: the program is quitting
        MessageBoxA(owner, launchFailureText(what, failure), QStringLiteral("Ferrolux"),
                    MB_OK | MB_ICONWARNING);
    };
}

void FileActions::cboRegExpClick(int index) {
    const auto& entries = regExpEntries();
    if (index < 0 || size_t(index) >= entries.size()) return;
    host_.setSearchText(host_.searchText() + regExpToken(QLatin1String(entries[size_t(index)])));
}

void FileActions::openViewer(const FileResult& row, int32_t targetMatch) {
    CurrentFilePath = row.fullPath();
    host_.showViewer({CurrentFilePath, viewerCaption(row), targetMatch});
}

bool FileActions::confirmZipCopy(const FileResult& row) {
    if (row.ExtractedPath.empty()) return true;
    return MessageBoxA(host_.messageOwner(), QLatin1String(ZipCopyWarning),
                       QStringLiteral("Warning"), MB_YESNO | MB_ICONWARNING) == IDYES;
}

QString viewerCaption(const FileResult& row) {
    return QStringLiteral("File Viewer - ") + displayText(displayName(row));
}

std::optional<int32_t> targetMatchFor(const FileResult& row, const SelectedMatch& match) {
    if (row.Type != QLatin1String("T")) return match.index;
    const std::string& text = match.LineNumber;
    int32_t line = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), line);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return line;
}

QString commandText(const std::vector<std::string>& command) {
    QStringList words;
    for (const std::string& word : command) {
        const QString shown = displayText(word);
        const bool plain = !shown.isEmpty() && std::all_of(shown.begin(), shown.end(), [](QChar c) {
            return c.isLetterOrNumber() || QStringLiteral("@%+=:,./_-").contains(c);
        });
        words << (plain ? shown
                        : QLatin1Char('\'') +
                              QString(shown).replace(QLatin1Char('\''), QStringLiteral("'\\''")) +
                              QLatin1Char('\''));
    }
    return words.join(QLatin1Char(' '));
}

QString launchFailureText(const QString& what, const LaunchFailure& failure) {
    return what + QStringLiteral("\n\nCommand: ") + commandText(failure.command) +
           QStringLiteral("\n") + failure.reason;
}

std::vector<std::string> editorCommand(const QString& editorSetting, const std::string& path,
                                       const Shell& shell) {
    QStringList command = QProcess::splitCommand(editorSetting);
    if (command.isEmpty() || isUnusableDefault(command, shell))
        command = platformDefaultEditor(shell);
    std::vector<std::string> argv;
    for (const QString& part : command)
        argv.push_back(part.toStdString());
    argv.push_back(path);
    return argv;
}

} // namespace ferrolux
