#include "CliOptions.h"

#include "search/OutputEscaping.h"

#include <gtest/gtest.h>

using namespace ferrolux;

TEST(CliOptions, FlagsValuesAndPositionals) {
    const CliParse p =
        parseCommandLine({"-rwF", "--files", "*.c,*.h", "--case-sensitive", "--max-matches=7",
                          "--max-match-len", "20", "--lines", "--text", "pat", "dir"});
    ASSERT_EQ(p.error, "");
    EXPECT_TRUE(p.options.recursive && p.options.wholeWords && p.options.literal);
    EXPECT_TRUE(p.options.caseSensitive && p.options.listLines && p.options.textOnly);
    EXPECT_FALSE(p.options.binaryOnly || p.options.verbose || p.options.searchZipFiles);
    EXPECT_EQ(p.options.fileSpecs, "*.c,*.h");
    EXPECT_EQ(p.options.maxMatches, 7);
    EXPECT_EQ(p.options.maxMatchLen, 20);
    EXPECT_EQ(p.options.pattern, "pat");
    EXPECT_EQ(p.options.directory, "dir");

    const CliParse defaults = parseCommandLine({"x"});
    EXPECT_EQ(defaults.options.directory, ".");
    EXPECT_EQ(defaults.options.fileSpecs, "*.*");
    EXPECT_FALSE(defaults.options.maxMatches.has_value());

    const CliParse skips = parseCommandLine({"--skip-dir", ".git", "--skip-dir=build*", "x"});
    EXPECT_EQ(skips.options.skipDirs, (std::vector<std::string>{".git", "build*"}));
    EXPECT_TRUE(defaults.options.skipDirs.empty());
    EXPECT_EQ(parseCommandLine({"x", "--skip-dir"}).error, "--skip-dir needs a value");

    EXPECT_EQ(parseCommandLine({"--", "-r"}).options.pattern, "-r");
    EXPECT_EQ(parseCommandLine({"-"}).options.pattern, "-");
}

TEST(CliOptions, MistakesAreReported) {
    EXPECT_EQ(parseCommandLine({}).error, "missing PATTERN");
    EXPECT_EQ(parseCommandLine({"a", "b", "c"}).error, "too many arguments");
    EXPECT_EQ(parseCommandLine({"--bogus", "x"}).error, "unknown option --bogus");
    EXPECT_EQ(parseCommandLine({"-q", "x"}).error, "unknown option -q");
    EXPECT_EQ(parseCommandLine({"x", "--files"}).error, "--files needs a value");
    EXPECT_EQ(parseCommandLine({"--max-matches", "ten", "x"}).error,
              "--max-matches needs a number, not \"ten\"");
    for (const std::string flag : {"recursive=yes", "zip=1", "verbose=", "lines=no", "help=x"})
        EXPECT_EQ(parseCommandLine({"--" + flag, "x"}).error,
                  "option --" + flag.substr(0, flag.find('=')) + " takes no value");
    EXPECT_EQ(parseCommandLine({"--archives", "x"}).error,
              "--archives needs -z (--zip): archives are searched beside Zip files");
    EXPECT_TRUE(parseCommandLine({"-z", "--archives", "x"}).options.searchArchives);
    EXPECT_TRUE(parseCommandLine({"--help"}).options.showHelp);
    EXPECT_EQ(parseCommandLine({"--version"}).error, "");
}

TEST(CliOptions, LimitsOutsideThePreferencesRangesAreRefused) {
    EXPECT_EQ(parseCommandLine({"--max-matches", "-1", "x"}).error,
              "--max-matches must be between 1 and 5000, not -1");
    EXPECT_EQ(parseCommandLine({"--max-matches=0", "x"}).error,
              "--max-matches must be between 1 and 5000, not 0");
    EXPECT_EQ(parseCommandLine({"--max-matches", "5001", "x"}).error,
              "--max-matches must be between 1 and 5000, not 5001");
    EXPECT_EQ(parseCommandLine({"--max-match-len", "2001", "x"}).error,
              "--max-match-len must be between 1 and 2000, not 2001");
    EXPECT_EQ(parseCommandLine({"--max-match-len=-5", "x"}).error,
              "--max-match-len must be between 1 and 2000, not -5");
    EXPECT_NE(parseCommandLine({"--max-match-len", "99999999999", "x"}).error, "");
    const CliParse edges =
        parseCommandLine({"--max-matches", "5000", "--max-match-len", "2000", "x"});
    EXPECT_EQ(edges.error, "");
    EXPECT_EQ(edges.options.maxMatches, 5000);
    EXPECT_EQ(edges.options.maxMatchLen, 2000);
    EXPECT_EQ(parseCommandLine({"--max-matches=1", "--max-match-len=1", "x"}).error, "");
}

TEST(OutputEscaping, OneRowIsAlwaysOneLine) {
    EXPECT_EQ(escapeField("plain text"), "plain text");
    EXPECT_EQ(escapeField("tab\there\nnl\r"), "tab\\x09here\\x0Anl\\x0D");
    EXPECT_EQ(escapeField("back\\slash"), "back\\\\slash");
    EXPECT_EQ(escapeField("\xC3\xA9t\xC3\xA9 \xE6\xBC\xA2 \xF0\x9F\x98\x80"),
              "\xC3\xA9t\xC3\xA9 \xE6\xBC\xA2 \xF0\x9F\x98\x80");
    EXPECT_EQ(escapeField("caf\xE9"), "caf\\xE9");
    EXPECT_EQ(escapeField("\xC3"), "\\xC3") << "truncated sequence";
    EXPECT_EQ(escapeField("\xC0\xAF"), "\\xC0\\xAF") << "overlong";
    EXPECT_EQ(escapeField("\xED\xA0\x80"), "\\xED\\xA0\\x80") << "surrogate";
    EXPECT_EQ(escapeField("\x7F\xC2\x85"), "\\x7F\\xC2\\x85") << "DEL and C1 controls";
}

TEST(CliOptions, ThreadCount) {
    EXPECT_EQ(parseCommandLine({"x"}).options.threads, 0) << "0: one per core";
    EXPECT_EQ(parseCommandLine({"-j", "3", "x"}).options.threads, 3);
    EXPECT_EQ(parseCommandLine({"-rj1", "x"}).options.threads, 1);
    EXPECT_EQ(parseCommandLine({"--threads=8", "x"}).options.threads, 8);
    const CliParse later = parseCommandLine({"--threads", "2", "x", "dir"});
    EXPECT_EQ(later.options.threads, 2);
    EXPECT_EQ(later.options.directory, "dir");
    for (const char* wrong : {"0", "-1", "two", "", "100000"})
        EXPECT_NE(parseCommandLine({"-j", wrong, "x"}).error, "") << wrong;
    EXPECT_NE(parseCommandLine({"x", "-j"}).error, "");
}
