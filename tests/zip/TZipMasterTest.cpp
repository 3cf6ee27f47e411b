#include "platform/zip/TZipMaster.h"

#include "TempDir.h"
#include "ZipFixtures.h"
#include "platform/posix/UniqueFd.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace ferrolux {
namespace {

using test::folderNames;
using test::rawZip;
using test::readFile;
using test::storedEntry;
using test::TempDir;
using test::writeZip;
using test::ZipEntry;

const std::string fixedPassword = "qorvantelbismu";

struct Message {
    int code;
    std::string text;
};

// An extractor set up the way the search uses it, recording every message.
class ExtractorTest : public ::testing::Test {
protected:
    ExtractorTest() {
        out = dir.mkdir("out");
        outFolder.reset(::open(out.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        zip.ExtrBaseDir = out;
        zip.ExtrBaseFolder = outFolder.get();
        zip.ExtrOptions = ExtrOverWrite;
        zip.Password = fixedPassword;
        zip.OnMessage = [this](TZipMaster& sender, int code, const std::string& text) {
            messages.push_back({code, text});
            if (code != ZipInformation && cancelOnProblem) sender.Cancel = true;
        };
    }

    std::string archive(const std::vector<ZipEntry>& entries, const std::string& name = "a.zip") {
        const std::string path = dir.file(name);
        writeZip(path, entries);
        return path;
    }

    std::string rawArchive(const std::vector<test::RawEntry>& entries,
                           const std::string& name = "a.zip") {
        return dir.write(name, rawZip(entries));
    }

    int extract(const std::string& path) {
        zip.setZipFilename(path);
        return zip.Extract();
    }

    std::vector<int> problemCodes() const {
        std::vector<int> codes;
        for (const Message& m : messages)
            if (m.code != ZipInformation) codes.push_back(m.code);
        return codes;
    }

    std::vector<std::string> extracted() const { return folderNames(out); }

    TempDir dir;
    std::string out;
    UniqueFd outFolder;
    TZipMaster zip;
    std::vector<Message> messages;
    bool cancelOnProblem = false;
};

TEST_F(ExtractorTest, ExtractsEveryEntryFlatAndLaterSameNamesReplaceEarlierOnes) {
    const std::string path = archive(
        {test::plainEntry("a/readme.txt", "first"), test::plainEntry("b/readme.txt", "second"),
         test::plainEntry("docs/deep/notes.txt", "needle here"), test::plainEntry("docs/", ""),
         test::uncompressedEntry("top.bin", std::string("\0\1\2", 3))});
    EXPECT_EQ(extract(path), 4);
    EXPECT_TRUE(problemCodes().empty());
    EXPECT_EQ(extracted(), (std::vector<std::string>{"notes.txt", "readme.txt", "top.bin"}));
    EXPECT_EQ(readFile(out + "/readme.txt"), "second");
    EXPECT_EQ(readFile(out + "/notes.txt"), "needle here");
    EXPECT_EQ(readFile(out + "/top.bin"), std::string("\0\1\2", 3));
}

TEST_F(ExtractorTest, ExtractedFilesArePrivateRegularFilesWithTheEntryTime) {
    extract(archive({test::plainEntry("x.txt", "data")}));
    struct stat info {};
    ASSERT_EQ(::lstat((out + "/x.txt").c_str(), &info), 0);
    EXPECT_TRUE(S_ISREG(info.st_mode));
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    // zip stores local time with two-second steps; the write API stamps "now".
    EXPECT_LT(std::abs(info.st_mtime - ::time(nullptr)), 24 * 3600);
}

TEST_F(ExtractorTest, HostileNamesLandInsideTheFolderUnderTheirLastPart) {
    const std::string longName = std::string(300, 'n') + ".txt";
    const std::string path = rawArchive(
        {storedEntry("../escape1.txt", "1"), storedEntry("/tmp/escape2.txt", "2"),
         storedEntry("..\\..\\escape3.txt", "3"), storedEntry("a/../../escape4.txt", "4"),
         storedEntry("", "empty name"), storedEntry(".", "dot"), storedEntry("..", "dotdot"),
         storedEntry("sub/..", "dotdot in folder"), storedEntry("folder\\", "backslash folder"),
         storedEntry("deep/" + longName, "long"),
         // named like the temporary file of the next entry
         storedEntry(".ferrolux-partial-11-0", "trap"), storedEntry("last.txt", "last")});
    extract(path);
    EXPECT_TRUE(problemCodes().empty());
    const std::string shortName = std::string(251, 'n') + ".txt";
    EXPECT_EQ(extracted(),
              (std::vector<std::string>{".ferrolux-partial-11-0", "escape1.txt", "escape2.txt",
                                        "escape3.txt", "escape4.txt", "last.txt", shortName}));
    EXPECT_EQ(readFile(out + "/.ferrolux-partial-11-0"), "trap");
    EXPECT_EQ(readFile(out + "/last.txt"), "last");
    EXPECT_EQ(readFile(out + "/" + shortName), "long");
    // Nothing appeared beside the extraction folder or above it.
    EXPECT_EQ(folderNames(dir.path()), (std::vector<std::string>{"a.zip", "out"}));
    for (const char* name : {"escape1.txt", "escape2.txt", "escape3.txt", "escape4.txt"}) {
        struct stat info {};
        EXPECT_NE(::lstat((dir.path() + "../" + name).c_str(), &info), 0) << name;
    }
}

TEST_F(ExtractorTest, SymbolicLinkEntriesBecomePlainFilesHoldingTheLinkText) {
    const std::string outside = dir.write("secret/passwords.txt", "keep me");
    extract(
        archive({test::linkEntry("link-to-secret", outside), test::plainEntry("after.txt", "ok")}));
    struct stat info {};
    ASSERT_EQ(::lstat((out + "/link-to-secret").c_str(), &info), 0);
    EXPECT_TRUE(S_ISREG(info.st_mode));
    EXPECT_EQ(readFile(out + "/link-to-secret"), outside);
    EXPECT_EQ(readFile(outside), "keep me");
}

TEST_F(ExtractorTest, AnExistingLinkInTheFolderIsReplacedNotWrittenThrough) {
    const std::string victim = dir.write("victim.txt", "original");
    ASSERT_EQ(::symlink(victim.c_str(), (out + "/report.txt").c_str()), 0);
    extract(archive({test::plainEntry("report.txt", "from the archive")}));
    EXPECT_EQ(readFile(victim), "original");
    struct stat info {};
    ASSERT_EQ(::lstat((out + "/report.txt").c_str(), &info), 0);
    EXPECT_TRUE(S_ISREG(info.st_mode));
    EXPECT_EQ(readFile(out + "/report.txt"), "from the archive");
}

TEST_F(ExtractorTest, WithoutOverwriteAnExistingFileIsKept) {
    dir.write("out/keep.txt", "mine");
    zip.ExtrOptions = 0;
    EXPECT_EQ(extract(archive(
                  {test::plainEntry("keep.txt", "theirs"), test::plainEntry("new.txt", "new")})),
              1);
    EXPECT_EQ(readFile(out + "/keep.txt"), "mine");
    EXPECT_EQ(readFile(out + "/new.txt"), "new");
}

TEST_F(ExtractorTest, EntriesEncryptedWithTheFixedPasswordAreExtracted) {
    const std::string path =
        archive({test::encryptedEntry("trad.txt", "traditional needle", fixedPassword, 1),
                 test::encryptedEntry("aes.txt", "aes needle", fixedPassword, 0x0103),
                 test::plainEntry("plain.txt", "plain")});
    EXPECT_EQ(extract(path), 3);
    EXPECT_TRUE(problemCodes().empty());
    EXPECT_EQ(readFile(out + "/trad.txt"), "traditional needle");
    EXPECT_EQ(readFile(out + "/aes.txt"), "aes needle");
}

TEST_F(ExtractorTest, AWrongPasswordIsReportedPerEntryAndLeavesNoFile) {
    const std::string path =
        archive({test::encryptedEntry("one.txt", "secret one", "other password", 1),
                 test::plainEntry("plain.txt", "plain"),
                 test::encryptedEntry("two.txt", "secret two", "other password", 0x0103)});
    EXPECT_EQ(extract(path), 1);
    EXPECT_EQ(problemCodes(), (std::vector<int>{ZipEncrypted, ZipEncrypted}));
    EXPECT_EQ(extracted(), (std::vector<std::string>{"plain.txt"}));
}

TEST_F(ExtractorTest, AnEncryptedEntryWithoutPasswordIsReported) {
    zip.Password.clear();
    extract(archive({test::encryptedEntry("one.txt", "secret", fixedPassword, 1)}));
    EXPECT_EQ(problemCodes(), (std::vector<int>{ZipEncrypted}));
    EXPECT_TRUE(extracted().empty());
}

TEST_F(ExtractorTest, UnsupportedMethodsAndCorruptDataAreReportedWithoutLeavingFiles) {
    test::RawEntry unknownMethod = storedEntry("method.txt", "abc");
    unknownMethod.method = 97;
    test::RawEntry strongEncryption = storedEntry("strong.txt", "abcdefghijklmnop");
    strongEncryption.flags = 0x41;
    test::RawEntry badCrc = storedEntry("crc.txt", "needle in a file with a wrong checksum");
    badCrc.crc ^= 1;
    test::RawEntry badDeflate = test::deflatedEntry("deflate.txt", std::string(5000, 'x'));
    badDeflate.payload = std::string(badDeflate.payload.size(), '\xFF');
    test::RawEntry shortStored = storedEntry("short.txt", "abc");
    shortStored.declaredSize = 10;
    // The checksum is right; only the size says the data is cut short.
    test::RawEntry shortDeflated = test::deflatedEntry("short.doc", "abcdef");
    shortDeflated.declaredSize = 10;
    const std::string path =
        rawArchive({unknownMethod, strongEncryption, badCrc, badDeflate, shortStored, shortDeflated,
                    storedEntry("good.txt", "fine")});
    EXPECT_EQ(extract(path), 1);
    EXPECT_EQ(problemCodes(), (std::vector<int>{ZipEntryFailed, ZipEncrypted, ZipEntryFailed,
                                                ZipEntryFailed, ZipEntryFailed, ZipEntryFailed}));
    EXPECT_EQ(extracted(), (std::vector<std::string>{"good.txt"}));
}

TEST_F(ExtractorTest, AHandlerThatCancelsStopsTheExtractionUntilTheNextOne) {
    cancelOnProblem = true;
    test::RawEntry bad = storedEntry("bad.txt", "abc");
    bad.crc ^= 1;
    const std::string path =
        rawArchive({storedEntry("first.txt", "1"), bad, storedEntry("last.txt", "3")});
    EXPECT_EQ(extract(path), 1);
    EXPECT_EQ(problemCodes().size(), 1u);
    EXPECT_EQ(extracted(), (std::vector<std::string>{"first.txt"}));
    // The flag is cleared when the next extraction starts.
    cancelOnProblem = false;
    EXPECT_EQ(zip.Extract(), 2);
    EXPECT_EQ(extracted(), (std::vector<std::string>{"first.txt", "last.txt"}));
}

TEST_F(ExtractorTest, VerboseReportsEachFileAsInformation) {
    zip.Verbose = true;
    extract(archive({test::plainEntry("a.txt", "1"), test::plainEntry("dir/", ""),
                     test::plainEntry("b.txt", "2")}));
    ASSERT_EQ(messages.size(), 3u);
    for (const Message& m : messages)
        EXPECT_EQ(m.code, ZipInformation);
}

TEST_F(ExtractorTest, AnEntryInflatingPastItsDeclaredSizeAbandonsTheWholeArchive) {
    test::RawEntry bomb = test::deflatedEntry("bomb.txt", std::string(4 << 20, 'A'));
    bomb.declaredSize = 1000;
    const std::string path =
        rawArchive({storedEntry("before.txt", "needle"), bomb, storedEntry("after.txt", "needle")});
    EXPECT_EQ(extract(path), 0);
    EXPECT_EQ(problemCodes(), (std::vector<int>{ZipEntryOversized}));
    EXPECT_TRUE(extracted().empty());
}

TEST_F(ExtractorTest, AnArchiveLargerThanTheLimitIsRefusedBeforeWritingAnything) {
    zip.MaxTotalBytes = 1000;
    const std::string path = archive({test::plainEntry("a.txt", std::string(600, 'a')),
                                      test::plainEntry("b.txt", std::string(600, 'b'))});
    EXPECT_EQ(extract(path), 0);
    EXPECT_EQ(problemCodes(), (std::vector<int>{ZipTooLarge}));
    EXPECT_TRUE(extracted().empty());

    // Nor may it fill the file system: here the margin leaves no room at all.
    messages.clear();
    zip.MaxTotalBytes = uint64_t{4} << 30;
    zip.FreeSpaceMargin = UINT64_MAX;
    EXPECT_EQ(extract(archive({test::plainEntry("c.txt", "c")}, "c.zip")), 0);
    EXPECT_EQ(problemCodes(), (std::vector<int>{ZipTooLarge}));
    EXPECT_TRUE(extracted().empty());
    zip.MaxTotalBytes = 1000;
    zip.FreeSpaceMargin = 0;

    // Folder entries and skipped names do not count towards the limit.
    messages.clear();
    EXPECT_EQ(extract(archive({test::plainEntry("a.txt", std::string(600, 'a')),
                               test::plainEntry("..", std::string(600, 'b'))},
                              "b.zip")),
              1);
    EXPECT_TRUE(problemCodes().empty());
}

TEST_F(ExtractorTest, DeclaredSizesAboveTheDefaultLimitAreRefused) {
    // Two entries that each claim almost 4 GiB: refused from the sizes alone.
    test::RawEntry huge = storedEntry("huge1.txt", "x");
    huge.declaredSize = 0xFFFFFFF0u;
    test::RawEntry huge2 = huge;
    huge2.name = "huge2.txt";
    EXPECT_EQ(extract(rawArchive({huge, huge2})), 0);
    EXPECT_EQ(problemCodes(), (std::vector<int>{ZipTooLarge}));
    EXPECT_TRUE(extracted().empty());
}

TEST_F(ExtractorTest, MoreThanAHundredThousandEntriesAreRefused) {
    std::vector<test::RawEntry> entries(100001, storedEntry("", ""));
    for (size_t i = 0; i < entries.size(); ++i)
        entries[i].name = std::to_string(i);
    EXPECT_EQ(extract(dir.write("many.zip", rawZip(entries))), 0);
    EXPECT_EQ(problemCodes(), (std::vector<int>{ZipTooManyEntries}));
    EXPECT_TRUE(extracted().empty());
}

TEST_F(ExtractorTest, UnreadableArchivesAreReportedOnceWhenOpened) {
    const std::string good = dir.file("good.zip");
    writeZip(good,
             {test::plainEntry("a.txt", std::string(2000, 'a')), test::plainEntry("b.txt", "b")});
    const std::string bytes = readFile(good);
    ASSERT_EQ(::mkfifo(dir.file("fifo.zip").c_str(), 0600), 0);
    const std::vector<std::string> broken = {
        dir.write("truncated.zip", bytes.substr(0, bytes.size() / 2)),
        dir.write("cut-end.zip", bytes.substr(0, bytes.size() - 5)),
        dir.write("random.zip", "PK\x03\x04 random bytes that are not an archive at all"),
        dir.write("empty.zip", ""),
        dir.file("missing.zip"),
        dir.file("fifo.zip"),
        out,
    };
    for (const std::string& path : broken) {
        messages.clear();
        EXPECT_EQ(extract(path), 0) << path;
        EXPECT_EQ(problemCodes(), (std::vector<int>{ZipCannotOpen})) << path;
        EXPECT_EQ(zip.Count(), 0);
    }
    EXPECT_TRUE(extracted().empty());
}

TEST_F(ExtractorTest, NothingIsWrittenWithoutAnOpenFolder) {
    const std::string path = archive({test::plainEntry("a.txt", "a")});
    zip.ExtrBaseFolder = -1;
    EXPECT_EQ(extract(path), 0);
    EXPECT_EQ(problemCodes(), (std::vector<int>{ZipCannotWrite}));
    EXPECT_TRUE(extracted().empty());
}

TEST_F(ExtractorTest, ExtractWithoutAnArchiveIsReported) {
    EXPECT_EQ(zip.Extract(), 0);
    EXPECT_EQ(problemCodes(), (std::vector<int>{ZipCannotOpen}));
}

} // namespace
} // namespace ferrolux
