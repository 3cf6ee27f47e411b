#pragma once

#include "platform/MessageBoxA.h"
#include "platform/ui/Shell.h"
#include "results/FileActionHost.h"
#include "settings/Settings.h"

#include <QStringList>
#include <set>
#include <string>
#include <vector>

namespace ferrolux::test {

// The main window as the file actions see it, with every input settable and
// every viewer that would open recorded.
class FakeHost : public FileActionHost {
public:
    std::optional<FileResult> row;
    std::optional<SelectedMatch> match;
    bool caseOn = false;
    std::string pattern;
    Settings config = defaultSettings();
    QString search;
    QString spec = QStringLiteral("*.*");
    std::string directory = "/";
    ListingAnchor anchor;
    std::vector<ViewerRequest> viewers;

    const FileResult* selectedFileRow() const override { return row ? &*row : nullptr; }
    bool caseSensitive() const override { return caseOn; }
    const std::string& searchPattern() const override { return pattern; }
    ViewerSettings viewerSettings() const override {
        return {config.ViewerFontName,  config.ViewerFontSize, config.ViewerTextColor,
                config.ViewerHighColor, config.MaxMatches,     config.MaxMatchLen};
    }
    QString editor() const override { return config.Editor; }
    std::optional<SelectedMatch> selectedMatch() const override { return match; }
    void tell(const UserMessage& message) override { MessageBoxA(nullptr, message); }
    bool ask(const UserMessage& question) override {
        return MessageBoxA(nullptr, question) == IDYES;
    }
    QObject* messageOwner() override { return nullptr; }
    void showViewer(const ViewerRequest& request) override { viewers.push_back(request); }
    QString searchText() const override { return search; }
    void setSearchText(const QString& text) override { search = text; }
    QString fileSpec() const override { return spec; }
    void setFileSpec(const QString& text) override { spec = text; }
    std::string currentDirectory() const override { return directory; }
    ListingAnchor listingAnchor() const override { return anchor; }
};

// A shell that starts nothing and records what it was asked to do; with a
// failure set, what it starts fails for that reason.
class FakeShell : public Shell {
public:
    OpenResult answer = OpenResult::Opened;
    QString failure;
    std::set<QString> installed;
    std::vector<std::string> opened;
    std::vector<std::vector<std::string>> started;

    OpenResult openDocument(const std::string& path, LaunchFailed failed) override {
        opened.push_back(path);
        if (answer == OpenResult::Opened && !failure.isEmpty())
            failed({{"xdg-open", path}, failure});
        return answer;
    }
    void start(const std::vector<std::string>& command, LaunchFailed failed) override {
        started.push_back(command);
        if (!failure.isEmpty()) failed({command, failure});
    }
    bool isInstalled(const QString& program) const override { return installed.count(program) > 0; }
};

inline FileResult diskRow(const std::string& directory, const std::string& name,
                          const char* type = "T", int64_t size = 0) {
    FileResult row;
    row.FileName = name;
    row.Directory = directory;
    row.Matches = 1;
    row.Type = QLatin1String(type);
    row.Size = size;
    return row;
}

} // namespace ferrolux::test
