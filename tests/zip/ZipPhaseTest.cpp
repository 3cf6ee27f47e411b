#include "search/ZipPhase.h"

#include "ArchiveFixtures.h"
#include "MessageBoxRecorder.h"
#include "TempDir.h"
#include "ZipFixtures.h"
#include "platform/MessageBoxA.h"
#include "platform/files/TempFolders.h"
#include "search/SearchHost.h"
#include "search/SearchState.h"

#include <cerrno>
#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
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
    void notSearched(const NotSearched& record) override { refused.push_back(record); }
    void tell(const UserMessage& message) override { MessageBoxA(nullptr, message); }
    std::vector<QString> statuses;
    std::vector<NotSearched> refused;
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

// Each archive that is not searched is recorded once, with the reason its
// extractor gave, whatever its format; a sound archive is not recorded.
TEST_F(ZipPhaseTest, EachRefusedArchiveIsRecordedOnceWithItsReason) {
    using test::ArchiveFormat;
    using Reason = NotSearchedReason;
    test::RawEntry bomb = test::deflatedEntry("bomb.txt", std::string(1 << 16, 'A'));
    bomb.declaredSize = 100;
    std::vector<test::ZipEntry> many;
    std::vector<test::Member> manyMembers;
    for (int i = 0; i < 12; ++i) {
        many.push_back(plainEntry(std::to_string(i) + ".txt", "x"));
        manyMembers.push_back(test::file(std::to_string(i) + ".txt", "x"));
    }
    test::Member locked = test::file("locked.txt", "x");
    locked.encrypted = true;
    const std::string big(3000, 'x');
    const std::string xz = test::archiveBytes(ArchiveFormat::TarXz, {test::file("cut.txt", big)});
    const auto write = [&](const std::string& name, ArchiveFormat format,
                           const std::vector<test::Member>& members) {
        return dir.write(name, test::archiveBytes(format, members));
    };
    const struct {
        std::string archive;
        std::optional<Reason> reason;
    } cases[] = {
        {dir.write("BROKEN.ZIP", "PK but nothing else of an archive"), Reason::ArchiveDamaged},
        {dir.write("BOMB.ZIP", test::rawZip({test::storedEntry("first.txt", "needle"), bomb})),
         Reason::ArchiveDamaged},
        {archive("LOCKED.ZIP", {test::encryptedEntry("a.txt", "needle", "not the password", 1),
                                test::encryptedEntry("b.txt", "needle", "not the password", 1)}),
         Reason::ArchiveEncrypted},
        {archive("BIG.ZIP", {plainEntry("big.txt", big)}), Reason::ArchiveTooLarge},
        {archive("MANY.ZIP", many), Reason::ArchiveTooManyEntries},
        {archive("GOOD.ZIP", {plainEntry("good.txt", "needle")}), std::nullopt},
        {dir.write("cut.tar.xz", xz.substr(0, xz.size() / 2)), Reason::ArchiveDamaged},
        {write("locked.rar", ArchiveFormat::Rar, {locked}), Reason::ArchiveEncrypted},
        {write("big.7z", ArchiveFormat::SevenZip, {test::file("big.txt", big)}),
         Reason::ArchiveTooLarge},
        {write("many.tar.gz", ArchiveFormat::TarGz, manyMembers), Reason::ArchiveTooManyEntries},
        {write("good.tar", ArchiveFormat::Tar, {test::file("good.txt", "needle")}), std::nullopt},
    };
    std::vector<NotSearched> expected;
    for (const auto& c : cases) {
        state.PendingZips.push_back(c.archive);
        if (c.reason) expected.push_back({c.archive, *c.reason, 0});
    }
    ZipPhase phase(state, host);
    phase.MaxArchiveBytes = 2000;
    phase.MaxArchiveEntries = 10;
    phase.run("*.*", recordWalks());
    EXPECT_EQ(host.refused, expected);
    EXPECT_EQ(walks.size(), 2u);
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

TEST_F(ZipPhaseTest, TarSevenZipAndRarArchivesAreExtractedThroughLibarchive) {
    using test::ArchiveFormat;
    std::vector<std::string> good;
    for (const ArchiveFormat format :
         {ArchiveFormat::TarGz, ArchiveFormat::SevenZip, ArchiveFormat::Rar})
        good.push_back(dir.write(test::archiveName("docs", format),
                                 test::archiveBytes(format, {test::file("sub/a.txt", "needle")})));
    const std::string whole =
        test::archiveBytes(ArchiveFormat::TarXz, {test::file("cut.txt", std::string(9000, 'n'))});
    const std::string damaged = dir.write("cut.tar.xz", whole.substr(0, whole.size() / 2));
    state.PendingZips = {good[0], damaged, good[1], good[2]};
    ZipPhase(state, host).run("*.TXT", recordWalks());

    ASSERT_EQ(walks.size(), 3u);
    for (size_t i = 0; i < walks.size(); ++i) {
        EXPECT_EQ(walks[i].currentZip, good[i]);
        EXPECT_EQ(walks[i].files, std::vector<std::string>{"a.txt"});
    }
    EXPECT_EQ(host.statuses[1], "Extracting archive " + QString::fromStdString(damaged));
    ASSERT_EQ(boxes.boxes().size(), 1u);
    EXPECT_EQ(boxes.boxes()[0].caption, "Archive Error");
    EXPECT_EQ(boxes.boxes()[0].text, "Error in archive: " + QString::fromStdString(damaged) +
                                         "\n\nThis file will not be searched, but processing\n"
                                         "will continue for other files.");
}

// The folder the archives would be unpacked into cannot be made: that is
// what the user is told, once, not that every sound archive is in error.
TEST(ZipPhaseTempFolder, AnUnwritableTemporaryFolderIsToldOnceAsWhatItIs) {
    TempDir dir;
    const std::string readOnly = dir.mkdir("read-only");
    ASSERT_EQ(::chmod(dir.path().c_str(), 0755), 0);
    ASSERT_EQ(::chmod(readOnly.c_str(), 0555), 0);
    writeZip(dir.file("ONE.ZIP"), {plainEntry("a.txt", "needle")});
    writeZip(dir.file("TWO.ZIP"), {plainEntry("b.txt", "needle")});
    ASSERT_EQ(::chmod(dir.file("ONE.ZIP").c_str(), 0644), 0);
    ASSERT_EQ(::chmod(dir.file("TWO.ZIP").c_str(), 0644), 0);
    int results[2];
    ASSERT_EQ(::pipe(results), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::close(results[0]);
        // Root may write anywhere: the search runs as nobody then.
        if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) _exit(2);
        ::setenv("TMPDIR", readOnly.c_str(), 1);
        test::MessageBoxRecorder boxes;
        RecordingHost host;
        SearchState state;
        state.PendingZips = {dir.file("ONE.ZIP"), dir.file("TWO.ZIP")};
        int walked = 0;
        ZipPhase(state, host).run("*.*", [&](const std::string&, const std::string&) { ++walked; });
        std::string told = std::to_string(walked) + " walked\n";
        for (const auto& box : boxes.boxes())
            told += (box.caption + ": " + box.text).toStdString() + "\n";
        for (const NotSearched& record : host.refused)
            told +=
                record.path.substr(dir.path().size()) +
                (record == NotSearched{record.path, NotSearchedReason::TempFolderUnwritable, EACCES}
                     ? " not searched: no folder to unpack into\n"
                     : " not searched for another reason\n");
        if (::write(results[1], told.data(), told.size()) < 0) _exit(2);
        _exit(0);
    }
    ::close(results[1]);
    std::string told(4096, '\0');
    const ssize_t got = ::read(results[0], told.data(), told.size());
    ::close(results[0]);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ::chmod(readOnly.c_str(), 0755);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    told.resize(size_t(std::max<ssize_t>(got, 0)));
    EXPECT_EQ(told, "0 walked\nTemporary Folder Error: Archives cannot be searched: the temporary "
                    "folder " +
                        readOnly +
                        " cannot be written (Permission denied).\n\n"
                        "Processing will continue for other files.\n"
                        "ONE.ZIP not searched: no folder to unpack into\n"
                        "TWO.ZIP not searched: no folder to unpack into\n");
}

} // namespace
} // namespace ferrolux
