#include "search/PatternPreparation.h"

#include "search/GrepEngine.h"

#include <gtest/gtest.h>

using namespace ferrolux;

namespace {

SearchRequest request(std::string text, std::string specs = "*.*") {
    SearchRequest r;
    r.SearchText = std::move(text);
    r.FileSpecs = std::move(specs);
    return r;
}

const QString kBlank = QStringLiteral("File specification and search text must be entered");

} // namespace

TEST(Validation, BlankTextOrSpecIsRefused) {
    GrepEngine engine;
    auto refusal = validateRequest(request(""), engine);
    ASSERT_TRUE(refusal);
    EXPECT_EQ(refusal->text, kBlank);
    EXPECT_EQ(refusal->caption, QStringLiteral("Error"));

    SearchRequest listed = request("", "");
    listed.ListedFilesOnly = true;
    ASSERT_TRUE(validateRequest(listed, engine));
    EXPECT_EQ(validateRequest(listed, engine)->text, kBlank);

    EXPECT_EQ(validateRequest(request("abc", ""), engine)->text, kBlank);
    listed.SearchText = "abc";
    EXPECT_FALSE(validateRequest(listed, engine)) << "no specs needed for listed files";
    EXPECT_FALSE(validateRequest(request("abc", "   "), engine)) << "blanks count as text";
}

TEST(Validation, PatternsThatMatchEverythingAreRefusedOutsideLiteralMode) {
    GrepEngine engine;
    for (const char* text : {"+", "*", ".", "^", "$", ".+", ".*"}) {
        const auto refusal = validateRequest(request(text), engine);
        ASSERT_TRUE(refusal) << text;
        EXPECT_EQ(refusal->text,
                  QStringLiteral("Search pattern cannot consist only of \"%1\"").arg(text));
        EXPECT_EQ(refusal->caption, QStringLiteral("Regular Expression Error"));
        SearchRequest literal = request(text);
        literal.Literal = true;
        EXPECT_FALSE(validateRequest(literal, engine)) << text;
    }
    EXPECT_FALSE(validateRequest(request("x.*"), engine));
}

TEST(Validation, PatternRejectedByTheEngineCarriesItsReason) {
    GrepEngine engine;
    for (const char* text : {"[abc", "abc\\", "[z-a]"}) {
        const auto refusal = validateRequest(request(text), engine);
        ASSERT_TRUE(refusal) << text;
        EXPECT_EQ(refusal->caption, QStringLiteral("Regular Expression Error"));
        EXPECT_FALSE(refusal->text.isEmpty());
    }
    SearchRequest literal = request("[abc\\");
    literal.Literal = true;
    EXPECT_FALSE(validateRequest(literal, engine));
}

// Patterns too large or complex are refused with the real reason, also when
// only whole-word wrapping or literal escaping makes them so.
TEST(Validation, PatternsBeyondTheEnginesBudgetAreRefusedWithTheRealReason) {
    GrepEngine engine;
    std::string many;
    for (int i = 0; i < 3000; ++i)
        many += (i ? "|x" : "x") + std::to_string(100000 + i);
    EXPECT_FALSE(validateRequest(request(many), engine)) << "no \\< or \\> in it";
    SearchRequest words = request(many);
    words.WholeWords = true;
    auto refusal = validateRequest(words, engine);
    ASSERT_TRUE(refusal);
    EXPECT_EQ(refusal->text, QStringLiteral("The pattern is too complex around \\< or \\>"));
    EXPECT_EQ(refusal->caption, QStringLiteral("Regular Expression Error"));

    SearchRequest huge = request(std::string(600000, 'x'));
    huge.Literal = true;
    refusal = validateRequest(huge, engine);
    ASSERT_TRUE(refusal);
    EXPECT_EQ(refusal->text, QStringLiteral("The pattern is too large"));
    EXPECT_EQ(refusal->caption, QStringLiteral("Regular Expression Error"));
}

TEST(PatternPreparation, EndOfLineLiteralAndWholeWords) {
    struct Case {
        const char* typed;
        bool literal, words;
        const char* prepared;
    } cases[] = {
        {"end$", false, false, "end\\r\\n"},
        {"$", true, false, "\\r\\n"},
        {"a.b$", true, true, "\\<a\\.b\\r\\n\\>"},
        {"1+1=2", true, false, "1\\+1=2"},
        {"a|b&c^d.e*f+g-h[i]", true, false, "a\\|b\\&c\\^d\\.e\\*f\\+g\\-h\\[i\\]"},
        {"$x", true, false, "\\$x"},
        {"word", false, true, "\\<word\\>"},
        {"a.b", false, false, "a.b"},
        // Literal backslashes stay text, also before the end-of-line marker.
        {"C:\\temp", true, false, "C:\\\\temp"},
        {"a\\$", true, false, "a\\\\\\r\\n"},
        {"C:\\temp", false, false, "C:\\temp"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(prepareSearchPattern(c.typed, c.literal, c.words), c.prepared) << c.typed;
}

TEST(PatternPreparation, LiteralPatternsAlwaysCompile) {
    GrepEngine engine;
    for (const char* typed : {"[", "]", "\\", "a\\", "*x", "(", "[z-a]", "a&&b||"}) {
        RGrepState state;
        EXPECT_EQ(engine.CompileRGrep(prepareSearchPattern(typed, true, false), GrepFalse, state),
                  0)
            << typed << ": " << state.error;
    }
}

TEST(PatternPreparation, WorkingFileSpecs) {
    EXPECT_EQ(workingFileSpecs(" *.txt , *.doc ", false), " *.TXT , *.DOC ");
    EXPECT_EQ(workingFileSpecs("*.txt", true), "*.TXT,*.ZIP");
    EXPECT_EQ(workingFileSpecs("*.*", true), "*.*");
    EXPECT_EQ(workingFileSpecs("*.zip", true), "*.ZIP");
    EXPECT_EQ(workingFileSpecs("DATA*.*", true), "DATA*.*");
    EXPECT_EQ(workingFileSpecs("\xC3\xA9t\xC3\xA9*.txt", false), "\xC3\x89T\xC3\x89*.TXT");
}

TEST(PatternPreparation, WorkingFileSpecsWithTheOtherArchiveFormats) {
    const std::string others = ",*.TAR,*.TAR.GZ,*.TGZ,*.TAR.BZ2,*.TAR.XZ,*.7Z,*.RAR";
    const struct {
        const char* typed;
        bool zip;
        std::string working;
    } cases[] = {
        {"*.txt", true, "*.TXT,*.ZIP" + others},
        {"*.txt", false, "*.TXT"}, // archives only beside Zip files
        {"*.*", true, "*.*"},
        {"*.tar.gz , *.7z", true, "*.TAR.GZ , *.7Z,*.ZIP,*.TAR,*.TGZ,*.TAR.BZ2,*.TAR.XZ,*.RAR"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(workingFileSpecs(c.typed, c.zip, true), c.working) << c.typed;
}
