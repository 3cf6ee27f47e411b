#pragma once

#include "platform/ui/Shell.h"
#include "results/FileActionHost.h"

#include <QStringList>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace ferrolux {

// View, Open and Edit of the selected file row, and the token list. Each
// action sets CurrentFilePath to the file it acts on.
class FileActions {
public:
    FileActions(FileActionHost& host, Shell& shell);

    void View1Click();
    void lstLines1DblClick();
    void Open1Click();
    void Edit1Click();
    // A new entry (0-based) was chosen in the regular-expression list.
    void cboRegExpClick(int index);

    std::string CurrentFilePath;

private:
    void openViewer(const FileResult& row, int32_t targetMatch);
    bool confirmZipCopy(const FileResult& row);
    // Tells the user what failed and the command tried, when it fails.
    LaunchFailed reportFailure(UserMessage (*describe)(const LaunchFailure&));

    FileActionHost& host_;
    Shell& shell_;
};

// The match a double-click on the match list asks the viewer to show first:
// the line number of a text file, the row's position for a binary file.
std::optional<int32_t> targetMatchFor(const FileResult& row, const SelectedMatch& match);

// The program and arguments that edit a file: the Editor setting split as a
// shell would, then the path as one argument. Without a usable setting, the
// first installed of the common desktop editors, else the desktop's opener.
std::vector<std::string> editorCommand(const QString& editorSetting, const std::string& path,
                                       const Shell& shell);

// A command as a shell would take it back: words with blanks or quotes are
// quoted.
QString commandText(const std::vector<std::string>& command);

// The message for a program that failed: what failed, the command, why.
QString launchFailureText(const QString& what, const LaunchFailure& failure);

} // namespace ferrolux
