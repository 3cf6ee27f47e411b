#include "ArchiveFixtures.h"
#include "TempDir.h"
#include "ZipFixtures.h"
#include "platform/archive/ArchiveExtractor.h"
#include "platform/posix/UniqueFd.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <iostream>
#include <random>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace ferrolux {
namespace {

using test::ArchiveFormat;
using test::file;
using test::folderNames;
using test::member;
using test::Member;
using Kind = test::Member::Kind;

constexpr uint64_t kMostBytes = 1 << 20;
constexpr int64_t kMostEntries = 100;

// Archives that try everything at once: names that climb out of the folder
// (to where the test looks), links into the folder above, devices; a bomb by
// ratio; and a bomb by count. root: the test's folder, which holds the
// extraction folder two levels down.
std::vector<std::string> baseArchives(ArchiveFormat format, const std::string& root) {
    std::vector<Member> hostile = {
        file("../../escape.txt", "needle"),
        file(root + "absolute.txt", "needle"),
        file("..\\..\\backslash.txt", "needle"),
        member(Kind::Symlink, "link", "../secret/keep.txt"),
        member(Kind::Symlink, "up", ".."),
        member(Kind::CharDevice, "null"),
        member(Kind::BlockDevice, "disk"),
        member(Kind::Fifo, "pipe"),
        member(Kind::Folder, "../folder/"),
        file("ok.txt", std::string(3000, 'n')),
    };
    if (format != ArchiveFormat::SevenZip && format != ArchiveFormat::Rar)
        hostile.push_back(member(Kind::Hardlink, "hard", "../secret/keep.txt"));
    const std::vector<Member> ratio = {file("first.txt", "needle"),
                                       file("zeros.bin", std::string(2 << 20, '\0'))};
    std::vector<Member> many;
    for (int i = 0; i < 2 * kMostEntries; ++i)
        many.push_back(file(std::to_string(i), std::string(size_t(i % 7), 'x')));
    return {archiveBytes(format, hostile), archiveBytes(format, ratio), archiveBytes(format, many)};
}

// Each base archive as it is, cut at 40 places, and with bytes changed at 40
// random places (the same ones on every run). A RAR member is also marked
// compressed, so that its bytes go through the decompressor.
std::vector<std::string> hostileArchives(ArchiveFormat format, const std::string& root) {
    std::mt19937 random(20261209);
    std::vector<std::string> archives;
    for (const std::string& base : baseArchives(format, root)) {
        archives.push_back(base);
        for (size_t cut = 1; cut <= 40; ++cut)
            archives.push_back(base.substr(0, base.size() * cut / 41));
        for (int change = 0; change < 40; ++change) {
            std::string bytes = base;
            const int count = 1 + int(random() % 4);
            for (int i = 0; i < count; ++i)
                bytes[random() % bytes.size()] = char(random());
            archives.push_back(std::move(bytes));
        }
        // The stored method is the byte 0x30: some of those bytes become
        // the compressed methods 0x31 to 0x35.
        int marked = 0;
        for (size_t at = base.find('\x30');
             format == ArchiveFormat::Rar && at != std::string::npos && marked < 25;
             at = base.find('\x30', at + 1)) {
            std::string bytes = base;
            bytes[at] = char(0x31 + marked++ % 5);
            archives.push_back(std::move(bytes));
        }
    }
    return archives;
}

class HostileArchiveTest : public ::testing::TestWithParam<ArchiveFormat> {};

// Whatever the archive: no crash, only regular files inside the folder,
// nothing anywhere else, and the caps hold.
TEST_P(HostileArchiveTest, NothingEscapesAndTheCapsHold) {
    test::TempDir dir;
    const std::string keep = dir.write("secret/keep.txt", "keep");
    const std::string out = dir.mkdir("private/folder/out");
    const UniqueFd folder(::open(out.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    const std::string name = test::archiveName("hostile", GetParam());
    ArchiveExtractor extractor;
    extractor.ExtrBaseDir = out;
    extractor.ExtrBaseFolder = folder.get();
    extractor.MaxTotalBytes = kMostBytes;
    extractor.MaxEntries = kMostEntries;
    int refused = 0;
    extractor.OnMessage = [&](ArchiveExtractor& sender, int code, const std::string&) {
        if (code == ZipInformation) return;
        ++refused;
        sender.Cancel = true; // as the search does
    };
    const std::vector<std::string> archives = hostileArchives(GetParam(), dir.path());
    ASSERT_GE(archives.size(), 200u);
    int searched = 0;
    for (size_t i = 0; i < archives.size(); ++i) {
        extractor.ArchiveFilename = dir.write(name, archives[i]);
        const int before = refused;
        const int written = extractor.Extract();
        if (refused == before) ++searched;
        uint64_t bytes = 0;
        const std::vector<std::string> names = folderNames(out);
        for (const std::string& entry : names) {
            struct stat info {};
            ASSERT_EQ(::fstatat(folder.get(), entry.c_str(), &info, AT_SYMLINK_NOFOLLOW), 0);
            ASSERT_TRUE(S_ISREG(info.st_mode)) << "archive " << i << ": " << entry;
            bytes += uint64_t(info.st_size);
            ::unlinkat(folder.get(), entry.c_str(), 0);
        }
        EXPECT_LE(bytes, kMostBytes) << "archive " << i;
        EXPECT_LE(int64_t(names.size()), kMostEntries) << "archive " << i;
        EXPECT_LE(written, int(names.size())) << "archive " << i;
        ASSERT_EQ(folderNames(dir.path()), (std::vector<std::string>{name, "private", "secret"}))
            << "archive " << i;
        ASSERT_EQ(folderNames(dir.path() + "private"), std::vector<std::string>{"folder"});
        ASSERT_EQ(folderNames(dir.path() + "private/folder"), std::vector<std::string>{"out"});
        ASSERT_EQ(folderNames(keep.substr(0, keep.rfind('/'))),
                  std::vector<std::string>{"keep.txt"});
        ASSERT_EQ(test::readFile(keep), "keep");
    }
    std::cout << test::extensionOf(GetParam()) << ": " << archives.size() << " hostile archives, "
              << searched << " extracted without a problem, " << refused << " refused\n";
}

INSTANTIATE_TEST_SUITE_P(EveryFormat, HostileArchiveTest,
                         ::testing::Values(ArchiveFormat::Tar, ArchiveFormat::TarGz,
                                           ArchiveFormat::TarBz2, ArchiveFormat::TarXz,
                                           ArchiveFormat::SevenZip, ArchiveFormat::Rar),
                         [](const auto& info) { return test::testNameOf(info.param); });

} // namespace
} // namespace ferrolux
