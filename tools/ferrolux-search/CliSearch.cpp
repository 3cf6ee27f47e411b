#include "CliSearch.h"

#include "OutputEscaping.h"
#include "platform/MessageBoxA.h"
#include "search/DateDisplay.h"
#include "search/GrepEngine.h"
#include "search/MatchListing.h"
#include "search/PatternPreparation.h"
#include "search/SearchHost.h"
#include "search/SearchRun.h"
#include "search/SearchState.h"
#include "search/ZipPhase.h"
#include "settings/SettingsStore.h"

#include <QLocale>
#include <cstdio>
#include <cstring>

namespace ferrolux {
namespace {

void printLine(std::FILE* stream, const QString& text) {
    std::fprintf(stream, "%s\n", text.toUtf8().constData());
}

// Writes each file row as it is found, followed by its lines when asked.
class CliHost : public SearchHost {
public:
    CliHost(const CliOptions& options, const CliStreams& streams, const SearchState& state,
            const Settings& settings)
        : options_(options), streams_(streams), state_(state), settings_(settings) {}

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

    void fileSkipped(const std::string& path, int error) override {
        if (!options_.verbose) return;
        std::fprintf(streams_.err, "ferrolux-search: %s: %s\n", escapeField(path).c_str(),
                     std::strerror(error));
    }

    // A box becomes a line on stderr: the text alone, as a tool prints it.
    int showMessage(const QString& text, const QString&, unsigned flags) override {
        printLine(streams_.err, text);
        return (flags & MB_YESNO) ? int(IDNO) : int(IDOK);
    }

private:
    void writeLines(const FileResult& row) {
        const int caseFlag = options_.caseSensitive ? GrepTrue : GrepFalse;
        for (const MatchLine& match :
             listFileMatches(lister_, row, state_.SearchPattern, caseFlag, settings_.MaxMatches,
                             settings_.MaxMatchLen)) {
            std::string line = '\t' + match.LineNumber + '\t' +
                               (match.CutBefore ? "\xE2\x80\xA6" : "") + escapeField(match.Text) +
                               (match.Truncated ? "\xE2\x80\xA6" : "") + '\n';
            std::fwrite(line.data(), 1, line.size(), streams_.out);
        }
    }

    const CliOptions& options_;
    const CliStreams& streams_;
    const SearchState& state_;
    const Settings& settings_;
    GrepEngine lister_;
};

SearchRequest requestFrom(const CliOptions& options) {
    SearchRequest request;
    request.SearchText = options.pattern;
    request.FileSpecs = options.fileSpecs;
    request.StartDirectory = options.directory;
    request.WholeWords = options.wholeWords;
    request.Literal = options.literal;
    request.live->IncludeSubdirectories = options.recursive;
    request.live->CaseSensitive = options.caseSensitive;
    request.live->SearchZipFiles = options.searchZipFiles;
    // Naming one type searches only that type; naming both or neither, both.
    const bool both = options.textOnly == options.binaryOnly;
    request.live->TextFiles = both || options.textOnly;
    request.live->BinaryFiles = both || options.binaryOnly;
    return request;
}

// The limits come from the stored preferences unless the options say otherwise.
Settings settingsFor(const CliOptions& options) {
    Settings settings = readStoredSettings();
    if (options.maxMatches) settings.MaxMatches = *options.maxMatches;
    if (options.maxMatchLen) settings.MaxMatchLen = *options.maxMatchLen;
    return settings;
}

} // namespace

int runCliSearch(const CliOptions& options, const CliStreams& streams) {
    const SearchRequest request = requestFrom(options);
    SearchState state;
    state.SearchPattern = state.TypedSearchText = request.SearchText;
    if (const std::optional<Refusal> refusal = validateRequest(request, GrepEngine())) {
        printLine(streams.err, refusal->text);
        return kRefused;
    }
    beginSearch(state, request);

    const Settings settings = settingsFor(options);
    const QString dateFormat = chooseDateDisplayFormat(QLocale::system());
    CliHost host(options, streams, state, settings);
    const int threads = options.threads > 0 ? options.threads : defaultSearchThreads();
    SearchRun(state, request, settings, dateFormat, host, threads).run();
    std::fflush(streams.out);
    deleteTempFolders(state); // the rows and lines are written: the copies are done with

    const QString summary = searchSummary(state, tickCount() - state.StartTicks, QLocale::system());
    const auto message = [&](const char* text) {
        host.showMessage(QString::fromLatin1(text), QStringLiteral("Message"),
                         MB_OK | MB_ICONINFORMATION);
    };
    if (state.FilesSearched == 0)
        message("No files found");
    else if (state.TotalMatches <= 0)
        message("No matches found");
    printLine(streams.err, summary);
    std::fflush(streams.err);
    return state.TotalMatches > 0 ? kFoundMatches : kNoMatches;
}

} // namespace ferrolux
