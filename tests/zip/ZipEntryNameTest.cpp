#include "platform/zip/ZipEntryName.h"

#include <gtest/gtest.h>
#include <string>

namespace ferrolux {
namespace {

TEST(ExtractedFileName, KeepsOnlyThePartAfterTheLastSeparator) {
    EXPECT_EQ(extractedFileName("readme.txt"), "readme.txt");
    EXPECT_EQ(extractedFileName("a/b/readme.txt"), "readme.txt");
    EXPECT_EQ(extractedFileName("..\\..\\boot.ini"), "boot.ini");
    EXPECT_EQ(extractedFileName("/etc/passwd"), "passwd");
    EXPECT_EQ(extractedFileName("mixed\\dir/name.doc"), "name.doc");
    EXPECT_EQ(extractedFileName(".hidden"), ".hidden");
    EXPECT_EQ(extractedFileName("..."), "...");
}

TEST(ExtractedFileName, FoldersAndDotNamesAreNotExtracted) {
    for (const char* name : {"", ".", "..", "dir/", "dir\\", "a/..", "a\\.", "/"})
        EXPECT_EQ(extractedFileName(name), "") << name;
}

TEST(ExtractedFileName, LongNamesAreCutTo255BytesKeepingTheExtension) {
    const std::string cut = extractedFileName(std::string(300, 'x') + ".txt");
    EXPECT_EQ(cut, std::string(251, 'x') + ".txt");

    // An "extension" too long to be one is cut like the rest of the name.
    const std::string noExtension = extractedFileName("a." + std::string(298, 'y'));
    EXPECT_EQ(noExtension, "a." + std::string(253, 'y'));

    EXPECT_EQ(extractedFileName(std::string(255, 'z')), std::string(255, 'z'));
}

TEST(ExtractedFileName, ACutNeverSplitsAUtf8Character) {
    std::string name;
    for (int i = 0; i < 100; ++i)
        name += "\xC3\xA9"; // é, two bytes each
    name += "\xE2\x82\xAC"; // make the byte count odd before the extension
    const std::string cut = extractedFileName(name + name + ".txt");
    ASSERT_LE(cut.size(), 255u);
    EXPECT_EQ(cut.substr(cut.size() - 4), ".txt");
    const std::string stem = cut.substr(0, cut.size() - 4);
    // A stem ending in a complete character: the last lead byte has its
    // continuation bytes.
    const size_t lead = stem.find_last_not_of(std::string("\x80\xA9\x82\xAC\x83", 5));
    ASSERT_NE(lead, std::string::npos);
    const unsigned char leadByte = static_cast<unsigned char>(stem[lead]);
    const size_t expectedLength = leadByte >= 0xE0 ? 3 : leadByte >= 0xC0 ? 2 : 1;
    EXPECT_EQ(stem.size() - lead, expectedLength);
}

TEST(ExtractedFileName, BytesThatAreNotUtf8AreCutAtTheLimit) {
    const std::string cut = extractedFileName(std::string(300, '\x80'));
    EXPECT_EQ(cut, std::string(255, '\x80'));
}

} // namespace
} // namespace ferrolux
