#include "StoreTesting.h"
#include "platform/registry/Registry.h"
#include "platform/registry/RegistryDocument.h"

#include <QStringList>
#include <climits>
#include <gtest/gtest.h>
#include <sstream>

namespace ferrolux {
namespace {

using test::readFile;
using test::storeText;

const QString key = QStringLiteral("Software\\Ferrolux");

class RegistryFormat : public test::StoreTest {
protected:
    RegistryKey reopen() const {
        RegistryKey reader;
        EXPECT_TRUE(reader.open(store, key, RegistryKey::Access::Read));
        return reader;
    }
};

TEST_F(RegistryFormat, WritesTheExportFormatAPersonCanRead) {
    RegistryKey writer;
    ASSERT_TRUE(writer.create(store, key));
    ASSERT_TRUE(writer.writeNumber(QStringLiteral("MaxMatchLen"), 300));
    ASSERT_TRUE(writer.writeString(QStringLiteral("Editor"), QStringLiteral("C:\\Tools\\\"ed\"")));
    ASSERT_TRUE(writer.writeNumber(QStringLiteral("ViewerTextColor"), -1));
    ASSERT_TRUE(writer.writeNumber(QStringLiteral("MaxMatchLen"), 2000)); // replaced in place
    writer.close();
    EXPECT_EQ(readFile(path), storeText("\"MaxMatchLen\"=dword:000007d0\n"
                                        "\"Editor\"=\"C:\\\\Tools\\\\\\\"ed\\\"\"\n"
                                        "\"ViewerTextColor\"=dword:ffffffff\n"));
}

TEST_F(RegistryFormat, AnyStringAndNumberReadsBackExactly) {
    QString nul = QStringLiteral("nul");
    nul += QChar(0);
    nul += QStringLiteral("inside");
    QString loneSurrogate = QStringLiteral("half ");
    loneSurrogate += QChar(char16_t(0xD800));
    QString longMultiline;
    for (int i = 0; i < 200; ++i)
        longMultiline += QStringLiteral("row %1 \u00e9\n").arg(i);
    const QStringList texts = {
        QString(),
        QStringLiteral("  padded  "),
        QStringLiteral("back\\slash \"quoted\" trailing\\"),
        QStringLiteral("line\nbreak"),
        QStringLiteral("ends in cr\r"),
        nul,
        QStringLiteral("separators \u007f and \u0080"),
        QStringLiteral("\u00e9 \u6f22\u5b57 \U0001F600 \u00c0 \u0100"),
        loneSurrogate,
        longMultiline,
    };
    const std::vector<int32_t> numbers = {0, 1, -1, INT32_MAX, INT32_MIN};

    RegistryKey writer;
    ASSERT_TRUE(writer.create(store, key));
    for (qsizetype i = 0; i < texts.size(); ++i)
        ASSERT_TRUE(writer.writeString(QStringLiteral("Text%1").arg(i), texts[i]));
    for (size_t i = 0; i < numbers.size(); ++i)
        ASSERT_TRUE(writer.writeNumber(QStringLiteral("Number%1").arg(i), numbers[i]));
    writer.close();

    RegistryKey reader = reopen();
    for (qsizetype i = 0; i < texts.size(); ++i)
        EXPECT_EQ(reader.readString(QStringLiteral("Text%1").arg(i)), texts[i]) << i;
    for (size_t i = 0; i < numbers.size(); ++i)
        EXPECT_EQ(reader.readNumber(QStringLiteral("Number%1").arg(i)), numbers[i]) << i;

    // Text the quoted form cannot hold goes to hex(1), wrapped like an export.
    std::istringstream lines(readFile(path));
    int hexValues = 0;
    for (std::string line; std::getline(lines, line);) {
        EXPECT_LE(line.size(), 80u) << line;
        if (line.find("=hex(1):") != std::string::npos) ++hexValues;
    }
    EXPECT_EQ(hexValues, 5); // line break, CR, NUL, lone surrogate, the long text
    EXPECT_NE(readFile(path).find("\"Text1\"=\"  padded  \""), std::string::npos);
}

TEST_F(RegistryFormat, TypesAreKept) {
    RegistryKey writer;
    ASSERT_TRUE(writer.create(store, key));
    ASSERT_TRUE(writer.writeString(QStringLiteral("MaxMatches"), QStringLiteral("200")));
    ASSERT_TRUE(writer.writeNumber(QStringLiteral("Editor"), 5));
    writer.close();

    RegistryKey reader = reopen();
    EXPECT_EQ(reader.readNumber(QStringLiteral("MaxMatches")), std::nullopt);
    EXPECT_EQ(reader.readString(QStringLiteral("Editor")), std::nullopt);
    EXPECT_EQ(reader.readString(QStringLiteral("Absent")), QString());
    EXPECT_EQ(reader.readNumber(QStringLiteral("Absent")), std::nullopt);
    EXPECT_EQ(reader.readString(QStringLiteral("MaxMatches")), QStringLiteral("200"));
    EXPECT_EQ(reader.readNumber(QStringLiteral("Editor")), 5);
}

TEST_F(RegistryFormat, RewriteKeepsEverythingElseByteForByte) {
    const std::string before = "; exported by hand\n"
                               "[HKEY_CURRENT_USER\\Software\\Other]\n"
                               "\"Path\"=\"x\"\n"
                               "\n"
                               "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Ferrolux]\n"
                               "this line means nothing\n"
                               "\"Multi\"=hex(7):41,00,00,00,\\\n"
                               "  00,00\n"
                               "\"Old\"=\"caf\xe9\"\n"
                               "\"MaxMatches\"=dword:zz\n"
                               "\n";
    const std::string after = "[HKEY_LOCAL_MACHINE\\Software\\Ferrolux\\Sub]\n"
                              "\"Deep\"=dword:00000001\n";
    seed("Windows Registry Editor Version 5.00\n\n" + before + after);

    RegistryKey writer;
    ASSERT_TRUE(writer.create(store, key));
    EXPECT_EQ(writer.readNumber(QStringLiteral("maxmatches")), std::nullopt); // not understood
    EXPECT_EQ(writer.readString(QStringLiteral("Multi")), std::nullopt);      // another type
    EXPECT_EQ(writer.readString(QStringLiteral("Old")), QStringLiteral("caf\u00e9"));
    ASSERT_TRUE(writer.writeNumber(QStringLiteral("MaxMatches"), 7));
    ASSERT_TRUE(writer.writeNumber(QStringLiteral("New"), 1));
    writer.close();

    std::string expected = "Windows Registry Editor Version 5.00\n\n" + before + after;
    expected.replace(expected.find("\"MaxMatches\"=dword:zz"), 21, "\"MaxMatches\"=dword:00000007");
    expected.insert(expected.find("\n\n[HKEY_LOCAL_MACHINE\\Software\\Ferrolux\\Sub]") + 1,
                    "\"New\"=dword:00000001\n");
    EXPECT_EQ(readFile(path), expected);
}

TEST_F(RegistryFormat, ReadsFilesWrittenOrMendedElsewhere) {
    // Legacy header, byte-order mark, CRLF, names in any case, the last of
    // two lines winning, hex forms spread over lines, single-byte strings.
    seed("\xEF\xBB\xBFREGEDIT4\r\n\r\n"
         "[HKEY_LOCAL_MACHINE\\Software\\Ferrolux]\r\n"
         "\"maxmatchlen\"=dword:0000012C\r\n"
         "\"MaxMatchLen\"=DWORD:00000064\r\n"
         "\"Lines\"=hex(1):61,0a,\\\r\n"
         "  62,00\r\n"
         "\"Hex4\"=hex(4):2c,01,00,00\r\n"
         "\"Dir\"=\"C:\\Users\"\r\n");
    RegistryKey reader = reopen();
    EXPECT_EQ(reader.readNumber(QStringLiteral("MAXMATCHLEN")), 100);
    EXPECT_EQ(reader.readString(QStringLiteral("Lines")), QStringLiteral("a\nb"));
    EXPECT_EQ(reader.readNumber(QStringLiteral("Hex4")), 300);
    EXPECT_EQ(reader.readString(QStringLiteral("Dir")), QStringLiteral("C:\\Users"));

    // Writing keeps the legacy header, the line ends and the mark, and puts
    // multi-line text in that format's single-byte hex(1).
    RegistryKey writer;
    ASSERT_TRUE(writer.create(store, key));
    ASSERT_TRUE(writer.writeString(QStringLiteral("Lines"), QStringLiteral("\u00e9\nz")));
    writer.close();
    EXPECT_EQ(readFile(path).substr(0, 13), "\xEF\xBB\xBFREGEDIT4\r\n");
    EXPECT_NE(readFile(path).find("\"Lines\"=hex(1):c3,a9,0a,7a,00\r\n"), std::string::npos);
    EXPECT_EQ(reopen().readString(QStringLiteral("Lines")), QStringLiteral("\u00e9\nz"));
}

TEST_F(RegistryFormat, ReadsTheUtf16ExportsOfTheRegistryEditor) {
    const QString text = QStringLiteral(
        "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_LOCAL_MACHINE\\Software\\Ferrolux]\r\n"
        "\"Editor\"=\"\u00e9dit\"\r\n");
    std::string bytes = "\xFF\xFE";
    for (QChar c : text)
        bytes += {char(c.unicode() & 0xff), char(c.unicode() >> 8)};
    seed(bytes);
    EXPECT_EQ(reopen().readString(QStringLiteral("Editor")), QStringLiteral("\u00e9dit"));
}

TEST_F(RegistryFormat, KeyExistsThroughItsSubkeysAndOnlyThen) {
    seed("Windows Registry Editor Version 5.00\n\n[HKEY_LOCAL_MACHINE\\Software\\FerroluxOther]\n");
    RegistryKey probe;
    EXPECT_FALSE(probe.open(store, key, RegistryKey::Access::Read));
    seed("Windows Registry Editor Version 5.00\n\n[HKEY_LOCAL_MACHINE\\Software\\Ferrolux\\Sub]\n");
    EXPECT_TRUE(probe.open(store, key, RegistryKey::Access::Read));
}

} // namespace
} // namespace ferrolux
