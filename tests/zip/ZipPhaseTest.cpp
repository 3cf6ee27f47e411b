#include "search/ZipPhase.h"

#include "MessageBoxRecorder.h"
#include "TempDir.h"
#include "ZipFixtures.h"
#include "platform/files/TempFolders.h"
#include "search/SearchHost.h"
#include "search/SearchState.h"

#include <gtest/gtest.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace ferrolux {
namespace {

using test::folderNames;
using test::plainEntry;
using test::readFile;
using test::TempDir;
using test::writeZip;

bool exists(const std::string& path) {
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0;
}

class RecordingHost : public SearchHost {
public:
    void setStatus(const QString& text) override { statuses.push_back(text); }
    void appendFileRow(const FileResult&) override {}
    std::vector<QString> statuses;
};

struct Walk {
    std::string root;
    std::string specs;
    std::vector<std::string> files;
    std::string currentZip;
};

class ZipPhaseTest : public ::testing::Test {
protected:
    ZipPhase::WalkFileSpecs recordWalks() {
        return [this](const std::string& root, const std::string& specs) {
            walks.push_back({root, specs, folderNames(root), state.CurrentZip});
        };
    }

    std::string archive(const std::string& relative, const std::vector<test::ZipEntry>& entries) {
        const std::string path = dir.file(relative);
        dir.mkdir(relative.substr(0, relative.rfind('/') + 1));
        writeZip(path, entries);
        return path;
    }

    void TearDown() override { deleteTempFolders(state); }

    TempDir dir;
    SearchState state;
    RecordingHost host;
    test::MessageBoxRecorder boxes;
    std::vector<Walk> walks;
};

TEST_F(ZipPhaseTest, EachArchiveIsExtractedIntoItsOwnFolderAndWalkedWithTheTypedSpecs) {
    const std::string first =
        archive("one/DOCS.ZIP", {plainEntry("a.txt", "needle"), plainEntry("b.doc", "needle"),
                                 plainEntry("sub/c.txt", "needle")});
    const std::string second = archive("two/DOCS.ZIP", {plainEntry("d.txt", "other")});
    state.PendingZips = {first, second};
    ZipPhase(state, host).run(" *.TXT , *.DOC ", recordWalks());

    ASSERT_EQ(walks.size(), 2u);
    EXPECT_EQ(walks[0].root, TempFolderPath() + "DOCS.ZIP");
    EXPECT_EQ(walks[0].specs, " *.TXT , *.DOC ");
    EXPECT_EQ(walks[0].files, (std::vector<std::string>{"a.txt", "b.doc", "c.txt"}));
    EXPECT_EQ(walks[0].currentZip, first);
    // Same archive name, own folder: the first archive's files never show up
    // under the second.
    EXPECT_EQ(walks[1].root, TempFolderPath() + "DOCS.ZIP (2)");
    EXPECT_EQ(walks[1].files, std::vector<std::string>{"d.txt"});
    EXPECT_EQ(walks[1].currentZip, second);

    EXPECT_TRUE(state.InZipPass);
    EXPECT_EQ(state.CurrentZip, second);
    EXPECT_EQ(state.TempFolders, (std::vector<std::string>{walks[0].root, walks[1].root}));
    EXPECT_EQ(host.statuses,
              (std::vector<QString>{"Extracting Zip file " + QString::fromStdString(first),
                                    "Extracting Zip file " + QString::fromStdString(second)}));
    EXPECT_TRUE(boxes.boxes().empty());
}

TEST_F(ZipPhaseTest, AnArchiveEncryptedWithTheFixedPasswordIsSearched) {
    state.PendingZips = {
        archive("SECRET.ZIP", {test::encryptedEntry("s.txt", "needle", ZipPassword, 1)})};
    ZipPhase(state, host).run("*.*", recordWalks());
    ASSERT_EQ(walks.size(), 1u);
    EXPECT_EQ(walks[0].files, std::vector<std::string>{"s.txt"});
    EXPECT_EQ(readFile(walks[0].root + "/s.txt"), "needle");
    EXPECT_TRUE(boxes.boxes().empty());
}

TEST_F(ZipPhaseTest, ABrokenArchiveShowsOneBoxIsNotWalkedAndTheNextIsSearched) {
    const std::string broken = dir.write("BROKEN.ZIP", "PK but nothing else of an archive");
    test::RawEntry bomb = test::deflatedEntry("bomb.txt", std::string(1 << 20, 'A'));
    bomb.declaredSize = 100;
    const std::string bombPath =
        dir.write("BOMB.ZIP", test::rawZip({test::storedEntry("first.txt", "needle"), bomb}));
    const std::string wrongPassword =
        archive("LOCKED.ZIP", {test::encryptedEntry("a.txt", "needle", "not the password", 1),
                               test::encryptedEntry("b.txt", "needle", "not the password", 1)});
    const std::string good = archive("GOOD.ZIP", {plainEntry("g.txt", "needle")});
    state.PendingZips = {broken, bombPath, wrongPassword, good};
    ZipPhase(state, host).run("*.TXT", recordWalks());

    ASSERT_EQ(boxes.boxes().size(), 3u);
    const std::vector<std::string> failed = {broken, bombPath, wrongPassword};
    for (size_t i = 0; i < failed.size(); ++i) {
        const auto& box = boxes.boxes()[i];
        EXPECT_EQ(box.caption, "Zip File Error");
        EXPECT_EQ(box.flags, unsigned(MB_OK | MB_ICONWARNING));
        EXPECT_EQ(box.text, "Error in Zip file: " + QString::fromStdString(failed[i]) +
                                "\n\nThis file will not be searched, but processing\n"
                                "will continue for other files.");
    }
    ASSERT_EQ(walks.size(), 1u);
    EXPECT_EQ(walks[0].currentZip, good);
    // Every folder is recorded for the cleanup; the bomb left nothing behind.
    ASSERT_EQ(state.TempFolders.size(), 4u);
    EXPECT_TRUE(folderNames(state.TempFolders[1]).empty());
    EXPECT_TRUE(folderNames(state.TempFolders[2]).empty());
}

TEST_F(ZipPhaseTest, TheWholeSearchHasAnExtractionCapAsWellAsEachArchive) {
    const std::string block(400, 'x');
    state.PendingZips = {
        archive("ONE.ZIP", {plainEntry("1.txt", block), plainEntry("2.txt", block)}), // 800
        archive("BIG.ZIP", {plainEntry("3.txt", block), plainEntry("4.txt", block),
                            plainEntry("5.txt", block)}),   // 1200
        archive("TWO.ZIP", {plainEntry("6.txt", block)}),   // 400
        archive("THREE.ZIP", {plainEntry("7.txt", block)}), // 400
        archive("EMPTY.ZIP", {plainEntry("empty.txt", "")})};
    ZipPhase phase(state, host);
    phase.MaxArchiveBytes = 1000;
    phase.MaxSearchBytes = 1500;
    phase.run("*.*", recordWalks());

    // BIG.ZIP is past the archive cap; THREE.ZIP is past what the search has left.
    std::vector<std::string> walked;
    for (const Walk& walk : walks)
        walked.push_back(walk.currentZip.substr(dir.path().size()));
    EXPECT_EQ(walked, (std::vector<std::string>{"ONE.ZIP", "TWO.ZIP", "EMPTY.ZIP"}));
    ASSERT_EQ(boxes.boxes().size(), 2u);
    EXPECT_EQ(boxes.boxes()[0].caption, "Zip File Error");
    EXPECT_TRUE(boxes.boxes()[0].text.contains("BIG.ZIP"));
    EXPECT_TRUE(boxes.boxes()[1].text.contains("THREE.ZIP"));
    EXPECT_TRUE(folderNames(state.TempFolders[1]).empty());
    EXPECT_TRUE(folderNames(state.TempFolders[3]).empty());
}

TEST_F(ZipPhaseTest, TheSearchCapStartsAfreshWithEachSearch) {
    const std::string block(600, 'x');
    ZipPhase phase(state, host);
    phase.MaxSearchBytes = 1000;
    for (int search = 0; search < 3; ++search) {
        cleanupAtSearchStart(state, false, host);
        const std::string name = std::string(1, char('A' + search)) + ".ZIP";
        state.PendingZips = {archive(name, {plainEntry("s.txt", block)})};
        phase.run("*.*", recordWalks());
    }
    EXPECT_EQ(walks.size(), 3u);
    EXPECT_TRUE(boxes.boxes().empty());
}

TEST_F(ZipPhaseTest, ArchivesQueuedDuringThePhaseWaitForALaterSearch) {
    const std::string outer = archive("OUTER.ZIP", {plainEntry("inner.zip", "PK...")});
    state.PendingZips = {outer};
    ZipPhase(state, host).run("*.*", [&](const std::string& root, const std::string& specs) {
        recordWalks()(root, specs);
        state.PendingZips.push_back(root + "/inner.zip"); // what the walk would queue
        state.PendingZips.push_back(root + "/inner.zip");
    });
    EXPECT_EQ(walks.size(), 1u);
    EXPECT_EQ(state.TempFolders.size(), 1u);
    EXPECT_EQ(state.PendingZips.size(), 3u);
}

TEST_F(ZipPhaseTest, NothingHappensWithoutQueuedArchives) {
    ZipPhase(state, host).run("*.*", recordWalks());
    EXPECT_FALSE(state.InZipPass);
    EXPECT_TRUE(walks.empty());
    EXPECT_TRUE(host.statuses.empty());
}

TEST_F(ZipPhaseTest, CleanupAtSearchStartDeletesTheFoldersOfEarlierSearches) {
    state.PendingZips = {archive("A.ZIP", {plainEntry("a.txt", "x")}),
                         archive("B, C.ZIP", {plainEntry("b.txt", "x")})};
    ZipPhase(state, host).run("*.*", recordWalks());
    const std::vector<std::string> folders = state.TempFolders;
    ASSERT_EQ(folders.size(), 2u);
    host.statuses.clear();

    // A listed-files-only search keeps them: its rows point into them.
    cleanupAtSearchStart(state, true, host);
    EXPECT_TRUE(state.PendingZips.empty());
    EXPECT_FALSE(state.InZipPass);
    EXPECT_EQ(state.TempFolders, folders);
    EXPECT_TRUE(exists(folders[0]) && exists(folders[1]));
    EXPECT_TRUE(host.statuses.empty());

    cleanupAtSearchStart(state, false, host);
    EXPECT_TRUE(state.TempFolders.empty());
    EXPECT_FALSE(exists(folders[0]));
    EXPECT_FALSE(exists(folders[1]));
    EXPECT_EQ(host.statuses, (std::vector<QString>{"Deleting temporary files", ""}));

    host.statuses.clear();
    cleanupAtSearchStart(state, false, host);
    EXPECT_TRUE(host.statuses.empty());
}

TEST_F(ZipPhaseTest, CleanupNeverDeletesThroughLinksOrOutsideThePrivateFolder) {
    const std::string precious = dir.mkdir("precious");
    dir.write("precious/keep.txt", "keep");
    state.PendingZips = {archive("A.ZIP", {plainEntry("a.txt", "x")}),
                         archive("B.ZIP", {plainEntry("b.txt", "x")})};
    ZipPhase(state, host).run("*.*", recordWalks());
    ASSERT_EQ(state.TempFolders.size(), 2u);
    // A link planted inside one folder, the other folder replaced by a link,
    // and a path that is no extraction folder at all.
    ASSERT_EQ(::symlink(precious.c_str(), (state.TempFolders[0] + "/link").c_str()), 0);
    deleteTempFolders(state); // empties the list; recreate the situation by hand
    const std::string replaced = createExtractionFolder("B.ZIP").path;
    ASSERT_EQ(::rmdir(replaced.c_str()), 0);
    ASSERT_EQ(::symlink(precious.c_str(), replaced.c_str()), 0);
    state.TempFolders = {replaced, precious, dir.path() + "precious/../precious"};
    deleteTempFolders(state);
    EXPECT_EQ(readFile(precious + "/keep.txt"), "keep");
    EXPECT_FALSE(exists(replaced));
    EXPECT_TRUE(state.TempFolders.empty());
}

} // namespace
} // namespace ferrolux
