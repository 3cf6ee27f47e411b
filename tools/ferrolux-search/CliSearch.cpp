#include "CliSearch.h"

#include "search/DateDisplay.h"
#include "search/OutputEscaping.h"
#include "search/SearchHost.h"
#include "search/SearchSession.h"
#include "search/SearchTexts.h"
#include "settings/SettingsStore.h"

#include <QLocale>
#include <cstdio>

namespace ferrolux {
namespace {

void printLine(std::FILE* stream, const QString& text) {
    std::fprintf(stream, "%s\n", text.toUtf8().constData());
}

// Writes each file row as it is found, followed by its lines when asked.
class CliHost : public SearchHost {
public:
    CliHost(const CliOptions& options, const CliStreams& streams, SearchSession& session,
            const MatchLimits& limits)
        : options_(options), streams_(streams), session_(session), limits_(limits) {}

    void processPendingMessages() override {
        if (streams_.beforeEachEntry) streams_.beforeEachEntry();
    }

    void searchingFile(const std::string&) override {} // no status line here

    void appendFileRow(const FileResult& row) override {
        std::string line = escapeField(row.FileName) + '\t' + escapeField(row.Directory) + '\t' +
                           std::to_string(row.Matches) + '\t' + row.Type.toStdString() + '\t' +
                           std::to_string(row.Size) + '\t' +
                           escapeField(row.DateTime.toStdString()) + '\n';
        std::fwrite(line.data(), 1, line.size(), streams_.out);
        if (options_.listLines) writeLines(row);
    }

    void notSearched(const NotSearched& record) override {
        if (!options_.verbose) return;
        std::fprintf(streams_.err, "ferrolux-search: %s: %s\n", escapeField(record.path).c_str(),
                     notSearchedReasonText(record).toUtf8().constData());
    }

    // A message becomes a line on stderr: the text alone, as a tool prints it.
    void tell(const UserMessage& message) override { printLine(streams_.err, message.text); }

private:
    void writeLines(const FileResult& row) {
        for (const MatchLine& match : session_.lines(row, options_.caseSensitive, limits_)) {
            std::string line = '\t' + match.LineNumber + '\t' +
                               (match.CutBefore ? "\xE2\x80\xA6" : "") + escapeField(match.Text) +
                               (match.Truncated ? "\xE2\x80\xA6" : "") + '\n';
            std::fwrite(line.data(), 1, line.size(), streams_.out);
        }
    }

    const CliOptions& options_;
    const CliStreams& streams_;
    SearchSession& session_;
    const MatchLimits& limits_;
};

// --skip-dir replaces the stored preference.
std::string foldersToSkip(const CliOptions& options, const Settings& stored) {
    if (options.skipDirs.empty()) return stored.FoldersToSkip.toStdString();
    std::string masks;
    for (const std::string& mask : options.skipDirs)
        masks += (masks.empty() ? "" : ",") + mask;
    return masks;
}

SearchRequest requestFrom(const CliOptions& options, const Settings& stored) {
    SearchRequest request;
    request.SearchText = options.pattern;
    request.FileSpecs = options.fileSpecs;
    request.StartDirectory = options.directory;
    request.FoldersToSkip = foldersToSkip(options, stored);
    request.WholeWords = options.wholeWords;
    request.Literal = options.literal;
    request.live->IncludeSubdirectories = options.recursive;
    request.live->CaseSensitive = options.caseSensitive;
    request.live->SearchZipFiles = options.searchZipFiles;
    request.SearchArchives = options.searchArchives;
    // Naming one type searches only that type; naming both or neither, both.
    const bool both = options.textOnly == options.binaryOnly;
    request.live->TextFiles = both || options.textOnly;
    request.live->BinaryFiles = both || options.binaryOnly;
    return request;
}

// The limits come from the stored preferences unless the options say otherwise.
MatchLimits limitsFor(const CliOptions& options, const Settings& stored) {
    return {options.maxMatches.value_or(stored.MaxMatches),
            options.maxMatchLen.value_or(stored.MaxMatchLen)};
}

} // namespace

int runCliSearch(const CliOptions& options, const CliStreams& streams) {
    std::optional<UserMessage> storeProblem;
    const Settings stored = readStoredSettings(RegistryStore::standard(), &storeProblem);
    if (storeProblem) printLine(streams.err, storeProblem->text);
    SearchSession session;
    if (const std::optional<Refusal> refusal = session.begin(requestFrom(options, stored))) {
        printLine(streams.err, refusal->text);
        return kRefused;
    }
    const MatchLimits limits = limitsFor(options, stored);
    CliHost host(options, streams, session, limits);
    const int threads = options.threads > 0 ? options.threads : defaultSearchThreads();
    session.run(host, limits.MaxMatchLen, chooseDateDisplayFormat(QLocale::system()), threads);
    std::fflush(streams.out);
    // The rows and lines are written: the extracted copies are done with.
    session.deleteExtractionFolders();

    if (const std::optional<UserMessage> nothing = outcomeMessage(session.outcome()))
        printLine(streams.err, nothing->text);
    printLine(streams.err, session.summary());
    std::fflush(streams.err);
    return session.outcome() == SearchOutcome::MatchesFound ? kFoundMatches : kNoMatches;
}

} // namespace ferrolux
