#include "ArchiveFixtures.h"
#include "MessageBoxRecorder.h"
#include "TempDir.h"
#include "ZipFixtures.h"
#include "platform/MessageBoxA.h"
#include "platform/files/TempFolders.h"
#include "search/GrepEngine.h"
#include "search/MatchListing.h"
#include "search/SearchHost.h"
#include "search/SearchSession.h"
#include "search/ZipPhase.h"

#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace ferrolux {
namespace {

using test::encryptedEntry;
using test::folderNames;
using test::plainEntry;
using test::TempDir;
using test::writeZip;

bool exists(const std::string& path) {
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0;
}

struct RecordingHost : SearchHost {
    std::vector<FileResult> rows;
    std::vector<QString> statuses;
    std::function<void()> onMessages;
    void appendFileRow(const FileResult& row) override { rows.push_back(row); }
    void tell(const UserMessage& message) override { MessageBoxA(nullptr, message); }
    void setStatus(const QString& text) override { statuses.push_back(text); }
    void processPendingMessages() override {
        if (onMessages) onMessages();
    }
    bool sawStatus(const QString& text) const {
        return std::find(statuses.begin(), statuses.end(), text) != statuses.end();
    }
};

// A whole search with Zip search on, as the main window runs it.
class ZipSearchTest : public ::testing::Test {
protected:
    ZipSearchTest() {
        request.StartDirectory = dir.path();
        request.SearchText = "needle";
        request.FileSpecs = "*.txt";
        request.live->SearchZipFiles = true;
        request.live->IncludeSubdirectories = true;
    }

    const std::vector<FileResult>& search(const std::vector<FileResult>& listed = {}) {
        host.rows.clear();
        host.statuses.clear();
        session.appendRows(listed);
        EXPECT_FALSE(session.begin(request));
        session.run(host, MatchLimits().MaxMatchLen, QStringLiteral("yyyy/mm/dd  h:mm"));
        return host.rows;
    }

    std::string archive(const std::string& relative, const std::vector<test::ZipEntry>& entries) {
        const std::string path = dir.file(relative);
        const size_t slash = relative.rfind('/');
        if (slash != std::string::npos) dir.mkdir(relative.substr(0, slash));
        writeZip(path, entries);
        return path;
    }

    TempDir dir;
    SearchRequest request;
    SearchSession session; // deletes the extraction folders when done
    const SearchState& state = session.state();
    RecordingHost host;
    test::MessageBoxRecorder boxes;
};

TEST_F(ZipSearchTest, MembersAreListedUnderTheArchiveWithThePathOfTheirCopy) {
    dir.write("plain.txt", "needle\n");
    const std::string docs = archive("DATA/DOCS.ZIP", {plainEntry("a.txt", "needle\nhay\nneedle\n"),
                                                       plainEntry("b.doc", "needle\n"),
                                                       plainEntry("deep/c.txt", "hay\n")});
    const auto& rows = search();
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].FileName, "plain.txt");
    EXPECT_EQ(rows[0].ExtractedPath, "");
    EXPECT_EQ(rows[1].FileName, "a.txt");
    EXPECT_EQ(rows[1].Directory, docs);
    EXPECT_EQ(rows[1].Matches, 2);
    EXPECT_EQ(rows[1].ExtractedPath, TempFolderPath() + "DOCS.ZIP/a.txt");
    EXPECT_EQ(rows[1].Size, 18);
    EXPECT_TRUE(host.sawStatus("Extracting Zip file " + QString::fromStdString(docs)));
    EXPECT_EQ(state.FilesSearched, 3) << "plain.txt, a.txt and c.txt; the archive itself is not";
    EXPECT_EQ(state.TotalMatches, 3);
    EXPECT_TRUE(boxes.boxes().empty());

    // The lines of a member come from its copy.
    GrepEngine engine;
    const auto lines = listFileMatches(engine, rows[1], state.SearchPattern, GrepFalse, 500, 300);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[1].LineNumber, "3");
}

TEST_F(ZipSearchTest, ArchivesOfTheSameNameNeverShareTheirFiles) {
    const std::string first = archive("one/DOCS.ZIP", {plainEntry("only-first.txt", "needle")});
    const std::string second = archive("two/DOCS.ZIP", {plainEntry("second.txt", "needle")});
    const auto& rows = search();
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].FileName, "only-first.txt");
    EXPECT_EQ(rows[0].Directory, first);
    EXPECT_EQ(rows[1].FileName, "second.txt");
    EXPECT_EQ(rows[1].Directory, second);
}

TEST_F(ZipSearchTest, ADamagedArchiveIsReportedAndTheOthersAreSearched) {
    const std::string broken = dir.write("BAD.ZIP", "PK\x03\x04 garbage with a needle in it");
    const std::string truncated = dir.file("CUT.ZIP");
    writeZip(truncated, {plainEntry("cut.txt", std::string(3000, 'n') + "needle")});
    const std::string whole = test::readFile(truncated);
    dir.write("CUT.ZIP", whole.substr(0, whole.size() / 2));
    archive("GOOD.ZIP", {plainEntry("good.txt", "needle")});
    const auto& rows = search();
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].FileName, "good.txt");
    ASSERT_EQ(boxes.boxes().size(), 2u);
    EXPECT_EQ(boxes.boxes()[0].caption, "Zip File Error");
    EXPECT_TRUE(boxes.boxes()[0].text.contains(QString::fromStdString(broken)));
    EXPECT_TRUE(boxes.boxes()[1].text.contains(QString::fromStdString(truncated)));
    EXPECT_EQ(state.FilesSearched, 1);
    EXPECT_EQ(session.notSearched(),
              (std::vector<NotSearched>{{broken, NotSearchedReason::ArchiveDamaged, 0},
                                        {truncated, NotSearchedReason::ArchiveDamaged, 0}}));
}

TEST_F(ZipSearchTest, AnEncryptedArchiveAndHostileNamesAreSearchedInsideTheFolder) {
    archive("SECRET.ZIP", {encryptedEntry("secret.txt", "needle", ZipPassword, 1),
                           plainEntry("../../escape.txt", "needle")});
    const auto& rows = search();
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].FileName, "escape.txt");
    EXPECT_EQ(rows[0].ExtractedPath, TempFolderPath() + "SECRET.ZIP/escape.txt");
    EXPECT_EQ(rows[1].FileName, "secret.txt");
    EXPECT_FALSE(exists(dir.path() + "../escape.txt"));
    EXPECT_FALSE(exists(TempFolderPath() + "escape.txt"));
}

TEST_F(ZipSearchTest, AnArchiveInsideAnArchiveIsCollectedButNotExtracted) {
    const std::string innerPath = dir.file("inner.zip");
    writeZip(innerPath, {plainEntry("inner.txt", "needle")});
    const std::string outer =
        archive("OUTER.ZIP", {plainEntry("inner.zip", test::readFile(innerPath)),
                              plainEntry("outer.txt", "needle")});
    ::unlink(innerPath.c_str());
    request.FileSpecs = "*.*";
    const auto& rows = search();
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].FileName, "outer.txt");
    EXPECT_EQ(state.PendingZips,
              (std::vector<std::string>{outer, TempFolderPath() + "OUTER.ZIP/inner.zip"}));
    EXPECT_EQ(state.TempFolders.size(), 1u);
}

TEST_F(ZipSearchTest, AfterStopTheArchivesAreExtractedButNothingOfThemIsListed) {
    const std::string a = archive("A.ZIP", {plainEntry("a.txt", "needle")});
    const std::string b = archive("B.ZIP", {plainEntry("b.txt", "needle")});
    dir.write("z.txt", "needle");
    host.onMessages = [&] {
        if (state.PendingZips.size() == 2) session.cancel(); // Stop once both are queued
    };
    const auto& rows = search();
    EXPECT_EQ(rows.size(), 1u);
    EXPECT_TRUE(host.sawStatus("Extracting Zip file " + QString::fromStdString(a)));
    EXPECT_TRUE(host.sawStatus("Extracting Zip file " + QString::fromStdString(b)));
    EXPECT_EQ(state.TempFolders.size(), 2u);
}

TEST_F(ZipSearchTest, AListedFilesSearchReusesTheFoldersAndTheNextSearchDeletesThem) {
    archive("DOCS.ZIP", {plainEntry("a.txt", "needle")});
    const std::vector<FileResult> first = search();
    ASSERT_EQ(first.size(), 1u);
    const std::vector<std::string> folders = state.TempFolders;

    request.ListedFilesOnly = true;
    const auto& again = search(first);
    EXPECT_FALSE(host.sawStatus("Deleting temporary files"));
    ASSERT_EQ(again.size(), 1u);
    EXPECT_EQ(again[0].FileName, "a.txt");
    EXPECT_EQ(again[0].Directory, TempFolderPath() + "DOCS.ZIP/");
    EXPECT_EQ(again[0].ExtractedPath, "");
    EXPECT_EQ(state.TempFolders, folders);

    request.ListedFilesOnly = false;
    request.live->SearchZipFiles = false;
    search();
    EXPECT_TRUE(host.sawStatus("Deleting temporary files"));
    EXPECT_FALSE(exists(folders[0]));
    EXPECT_TRUE(state.TempFolders.empty());
}

TEST_F(ZipSearchTest, AZipBombIsAbandonedAndTheSearchGoesOn) {
    test::RawEntry bomb = test::deflatedEntry("bomb.txt", std::string(8 << 20, 'n'));
    bomb.declaredSize = 64;
    dir.write("BOMB.ZIP", test::rawZip({test::storedEntry("first.txt", "needle"), bomb}));
    archive("GOOD.ZIP", {plainEntry("good.txt", "needle")});
    const auto& rows = search();
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].FileName, "good.txt");
    EXPECT_EQ(boxes.boxes().size(), 1u);
    EXPECT_TRUE(folderNames(TempFolderPath() + "BOMB.ZIP").empty());
}

// The other formats are searched only with the preference on and Zip files
// searched; otherwise such a file is an ordinary file, as it always was.
TEST_F(ZipSearchTest, TarSevenZipAndRarArchivesOnlyWithThePreferenceBesideZipFiles) {
    using test::ArchiveFormat;
    request.FileSpecs = "*.txt";
    request.SearchText = "needle";
    std::vector<std::string> archives;
    for (const ArchiveFormat format :
         {ArchiveFormat::Tar, ArchiveFormat::TarBz2, ArchiveFormat::SevenZip, ArchiveFormat::Rar})
        archives.push_back(dir.write(
            test::archiveName("DOCS", format),
            test::archiveBytes(
                format, {test::file("in/" + test::extensionOf(format) + ".txt", "needle\n")})));
    const struct {
        bool preference;
        bool zip;
        std::string specs;
        std::vector<std::string> listed; // file name and directory
    } cases[] = {
        {true,
         true,
         "*.txt",
         {"tar.txt", archives[0], "tar.bz2.txt", archives[1], "7z.txt", archives[2], "rar.txt",
          archives[3]}},
        // As before: with *.* the tar (not compressed) is an ordinary binary file.
        {false, true, "*.*", {"DOCS.rar", dir.path(), "DOCS.tar", dir.path()}},
        {true, false, "*.*", {"DOCS.rar", dir.path(), "DOCS.tar", dir.path()}},
        {false, true, "*.txt", {}},
    };
    for (const auto& c : cases) {
        request.SearchArchives = c.preference;
        request.live->SearchZipFiles = c.zip;
        request.FileSpecs = c.specs;
        std::vector<std::string> listed;
        for (const FileResult& row : search())
            listed.insert(listed.end(), {row.FileName, row.Directory});
        EXPECT_EQ(listed, c.listed) << c.preference << c.zip << c.specs;
        EXPECT_TRUE(boxes.boxes().empty());
    }
}

// The folder that holds the private temporary folder is swapped for a link
// to another folder while the search runs, where a folder of the same names
// waits. Extraction and both walks (the search and a search of the listed
// files) still reach only the search's own folders, through the descriptor
// held since start; the other folder is neither written nor listed.
TEST(ZipSearchSwappedParent, TheOtherFolderIsNeitherWrittenNorListed) {
    TempDir dir;
    const std::string parent = dir.mkdir("tmp");
    const std::string other = dir.mkdir("other");
    dir.mkdir("tree");
    writeZip(dir.file("tree/DOCS.ZIP"), {plainEntry("a.txt", "needle")});
    int results[2];
    ASSERT_EQ(::pipe(results), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::close(results[0]);
        ::setenv("TMPDIR", parent.c_str(), 1);
        const std::string name = TempFolderPath().substr(parent.size()); // "/ferrolux-XXXXXX/"
        const std::string mirror = other + name + "DOCS.ZIP/";
        dir.write(mirror.substr(dir.path().size()) + "a.txt", "victim needle needle");
        dir.write(mirror.substr(dir.path().size()) + "victim.txt", "needle");
        struct SwappingHost : RecordingHost {
            std::string parent, other;
            void setStatus(const QString& text) override {
                if (text.startsWith("Extracting Zip file ") &&
                    ::rename(parent.c_str(), (parent + ".real").c_str()) == 0)
                    ::symlink(other.c_str(), parent.c_str());
            }
        } host;
        host.parent = parent;
        host.other = other;
        SearchRequest request;
        request.StartDirectory = dir.file("tree");
        request.SearchText = "needle";
        request.FileSpecs = "*.txt";
        request.live->SearchZipFiles = true;
        SearchSession session;
        std::string listed;
        for (const bool listedOnly : {false, true}) {
            request.ListedFilesOnly = listedOnly;
            session.appendRows(host.rows);
            host.rows.clear();
            if (session.begin(request)) _exit(3);
            session.run(host, MatchLimits().MaxMatchLen, QStringLiteral("yyyy/mm/dd  h:mm"), 1);
            for (const FileResult& row : host.rows)
                listed += row.FileName + " " + std::to_string(row.Matches) + "\n";
        }
        if (::write(results[1], listed.data(), listed.size()) < 0) _exit(2);
        _exit(0);
    }
    ::close(results[1]);
    std::string listed(4096, '\0');
    const ssize_t got = ::read(results[0], listed.data(), listed.size());
    ::close(results[0]);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    listed.resize(size_t(std::max<ssize_t>(got, 0)));
    EXPECT_EQ(listed, "a.txt 1\na.txt 1\n") << "the archive's a.txt, in both searches";
    const std::vector<std::string> mirrors = folderNames(other);
    ASSERT_EQ(mirrors.size(), 1u);
    const std::string mirror = other + "/" + mirrors[0] + "/DOCS.ZIP/";
    EXPECT_EQ(folderNames(mirror), (std::vector<std::string>{"a.txt", "victim.txt"}));
    EXPECT_EQ(test::readFile(mirror + "a.txt"), "victim needle needle");
    EXPECT_EQ(test::readFile(mirror + "victim.txt"), "needle");
}

} // namespace
} // namespace ferrolux
