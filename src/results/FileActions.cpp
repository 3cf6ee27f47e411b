#include "results/FileActions.h"

#include "platform/ui/Shell.h"
#include "results/RegExpTokens.h"
#include "results/ResultTexts.h"
#include "platform/DisplayText.h"

#include <QPointer>
#include <QProcess>
#include <algorithm>
#include <charconv>

namespace ferrolux {

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
    const Shell::OpenResult opened =
        shell_.openDocument(CurrentFilePath, reportFailure(openerFailed));
    if (opened == Shell::OpenResult::NoAssociation) host_.tell(noAssociatedApplication());
}

void FileActions::Edit1Click() {
    const FileResult* row = host_.selectedFileRow();
    if (!row) return;
    CurrentFilePath = row->fullPath();
    if (!confirmZipCopy(*row)) return;
    shell_.start(editorCommand(host_.editor(), CurrentFilePath, shell_),
                 reportFailure(editorFailed));
}

// The failure may come long after the action, when the program ends.
LaunchFailed FileActions::reportFailure(UserMessage (*describe)(const LaunchFailure&)) {
    QPointer<QObject> owner = host_.messageOwner();
    const bool owned = owner;
    FileActionHost* host = &host_;
    return [owner, owned, host, describe](const LaunchFailure& failure) {
        if (owned && !owner) return; // the window is gone: the program is quitting
        host->tell(describe(failure));
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
    return row.ExtractedPath.empty() || host_.ask(zipCopyQuestion());
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
