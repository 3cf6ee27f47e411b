#include "platform/archive/ArchiveExtractor.h"

#include "ArchiveFixtures.h"
#include "TempDir.h"
#include "ZipFixtures.h"
#include "platform/archive/ArchiveFormats.h"
#include "platform/posix/UniqueFd.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace ferrolux {
namespace {

using test::ArchiveFormat;
using test::file;
using test::folderNames;
using test::member;
using test::Member;
using test::readFile;
using Kind = test::Member::Kind;

TEST(ArchiveFormats, TheDebianBuildReadsEveryFormatWithoutAnOutsideProgram) {
    EXPECT_EQ(readableArchiveExtensions(),
              (std::vector<std::string>{"TAR", "TAR.GZ", "TGZ", "TAR.BZ2", "TAR.XZ", "7Z", "RAR"}));
}

TEST(ArchiveFormats, TheHelpListsEveryFormatThisBuildReads) {
    const std::string help = readFile(FERROLUX_HELP_DOCUMENT);
    ASSERT_FALSE(help.empty());
    for (std::string extension : readableArchiveExtensions()) {
        for (char& c : extension)
            c = char(std::tolower(static_cast<unsigned char>(c)));
        EXPECT_NE(help.find("<code>." + extension + "</code>"), std::string::npos) << extension;
    }
}

TEST(ArchiveFormats, NamesAreRecognisedByTheirEndingInAnyCase) {
    const struct {
        const char* name;
        bool archive;
    } cases[] = {
        {"a.tar", true},      {"B.TAR.GZ", true}, {"c.Tgz", true},  {"d.tar.bz2", true},
        {"e.tar.xz", true},   {"f.7z", true},     {"g.rar", true},  {"h.tar.zst", false},
        {"i.gz", false},      {"j.zip", false},   {"ktar", false},  {".tar", false},
        {"l.tar.txt", false}, {"m.bz2", false},   {"n.7Z ", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(isReadableArchiveName(c.name), c.archive) << c.name;
}

struct Message {
    int code;
    std::string text;
};

// An extractor set up the way the search uses it, over each format.
class ArchiveExtractorTest : public ::testing::TestWithParam<ArchiveFormat> {
protected:
    ArchiveExtractorTest() {
        out = dir.mkdir("out");
        outFolder.reset(::open(out.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        extractor.ExtrBaseDir = out;
        extractor.ExtrBaseFolder = outFolder.get();
        extractor.OnMessage = [this](ArchiveExtractor&, int code, const std::string& text) {
            if (code != ZipInformation) problems.push_back({code, text});
        };
    }

    std::string archive(const std::vector<Member>& members) {
        return archiveBytes(GetParam(), members);
    }

    int extract(const std::string& bytes) {
        extractor.ArchiveFilename = dir.write(test::archiveName("archive", GetParam()), bytes);
        return extractor.Extract();
    }

    std::vector<int> problemCodes() const {
        std::vector<int> codes;
        for (const Message& m : problems)
            codes.push_back(m.code);
        return codes;
    }

    test::TempDir dir;
    std::string out;
    UniqueFd outFolder;
    ArchiveExtractor extractor;
    std::vector<Message> problems;
};

TEST_P(ArchiveExtractorTest, OnlyRegularFilesAreWrittenFlatUnderTheirBareNames) {
    const std::string outside = dir.write("secret/keep.txt", "keep");
    std::vector<Member> members = {
        file("a/readme.txt", "first"),
        file("b/readme.txt", "second"),
        file("../../escape.txt", "escape"),
        file("/etc/absolute.txt", "absolute"),
        file("deep/er/notes.txt", "needle"),
        member(Kind::Folder, "folder/"),
        member(Kind::Symlink, "link.txt", outside),
        member(Kind::Symlink, "keep.txt", "../secret/keep.txt"),
        member(Kind::CharDevice, "null"),
        member(Kind::BlockDevice, "disk"),
        member(Kind::Fifo, "pipe"),
    };
    if (test::extensionOf(GetParam()).starts_with("tar")) // the only format with hard links
        members.push_back(member(Kind::Hardlink, "hard.txt", "deep/er/notes.txt"));
    EXPECT_EQ(extract(archive(members)), 5);
    EXPECT_TRUE(problems.empty()) << problems[0].text;
    EXPECT_EQ(folderNames(out),
              (std::vector<std::string>{"absolute.txt", "escape.txt", "notes.txt", "readme.txt"}));
    EXPECT_EQ(readFile(out + "/readme.txt"), "second");
    EXPECT_EQ(readFile(outside), "keep");
    EXPECT_EQ(
        folderNames(dir.path()),
        (std::vector<std::string>{test::archiveName("archive", GetParam()), "out", "secret"}));
    struct stat info {};
    ASSERT_EQ(::lstat((out + "/notes.txt").c_str(), &info), 0);
    EXPECT_TRUE(S_ISREG(info.st_mode));
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    EXPECT_EQ(extractor.BytesWritten(), 5u + 6 + 6 + 8 + 6);
}

// Bombs by ratio and by count are refused whole: nothing they wrote stays.
TEST_P(ArchiveExtractorTest, ArchivesPastTheLimitsAreAbandonedWhole) {
    const std::string bomb =
        archive({file("first.txt", "needle"), file("zeros.bin", std::string(4 << 20, '\0'))});
    extractor.MaxTotalBytes = 1 << 20;
    EXPECT_EQ(extract(bomb), 0);
    EXPECT_EQ(problemCodes(), std::vector<int>{ZipTooLarge});
    EXPECT_TRUE(folderNames(out).empty());

    problems.clear();
    std::vector<Member> many;
    for (int i = 0; i < 60; ++i)
        many.push_back(file(std::to_string(i) + ".txt", "x"));
    extractor.MaxEntries = 50;
    EXPECT_EQ(extract(archive(many)), 0);
    EXPECT_EQ(problemCodes(), std::vector<int>{ZipTooManyEntries});
    EXPECT_TRUE(folderNames(out).empty());
    EXPECT_EQ(extractor.BytesWritten(), 0u);
}

TEST_P(ArchiveExtractorTest, ADamagedArchiveIsReportedOnce) {
    const std::string whole =
        archive({file("a.txt", std::string(5000, 'a')), file("b.txt", std::string(5000, 'b'))});
    const std::vector<std::string> damaged = {whole.substr(0, whole.size() / 2),
                                              whole.substr(0, 20), "", std::string(600, 'x')};
    for (const std::string& bytes : damaged) {
        problems.clear();
        extract(bytes);
        EXPECT_EQ(problems.size(), 1u) << bytes.size() << " bytes";
    }
}

INSTANTIATE_TEST_SUITE_P(EveryFormat, ArchiveExtractorTest,
                         ::testing::Values(ArchiveFormat::Tar, ArchiveFormat::TarGz,
                                           ArchiveFormat::TarBz2, ArchiveFormat::TarXz,
                                           ArchiveFormat::SevenZip, ArchiveFormat::Rar),
                         [](const auto& info) { return test::testNameOf(info.param); });

TEST(ArchiveExtractor, AnEncryptedMemberIsReportedAsEncrypted) {
    test::TempDir dir;
    const std::string out = dir.mkdir("out");
    const UniqueFd folder(::open(out.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    Member locked = file("locked.txt", "not really encrypted bytes");
    locked.encrypted = true;
    ArchiveExtractor extractor;
    extractor.ArchiveFilename =
        dir.write("locked.rar", archiveBytes(ArchiveFormat::Rar, {locked, file("open.txt", "x")}));
    extractor.ExtrBaseFolder = folder.get();
    std::vector<int> codes;
    extractor.OnMessage = [&](ArchiveExtractor&, int code, const std::string&) {
        if (code != ZipInformation) codes.push_back(code);
    };
    extractor.Extract();
    EXPECT_EQ(codes, std::vector<int>{ZipEncrypted});
    EXPECT_TRUE(folderNames(out).empty());
}

TEST(ArchiveExtractor, NothingIsReadOrWrittenWithoutAnOpenFolder) {
    test::TempDir dir;
    ArchiveExtractor extractor;
    extractor.ArchiveFilename =
        dir.write("a.tar", archiveBytes(ArchiveFormat::Tar, {file("a.txt", "a")}));
    std::vector<int> codes;
    extractor.OnMessage = [&](ArchiveExtractor&, int code, const std::string&) {
        codes.push_back(code);
    };
    EXPECT_EQ(extractor.Extract(), 0);
    EXPECT_EQ(codes, std::vector<int>{ZipCannotWrite});
}

} // namespace
} // namespace ferrolux
