// Per-file counts of ferrolux-search against GNU grep -c over a generated
// tree of text files: LF and CR LF lines, empty and blank lines, files with
// and without a final line break, empty files and files of one line break,
// ASCII and UTF-8 words. GNU grep is used here only, as an independent
// counter of matching lines.
#include "RunProgram.h"
#include "TempDir.h"

#include <gtest/gtest.h>
#include <map>
#include <random>
#include <sstream>

using ferrolux::test::ProgramResult;
using ferrolux::test::runProgram;
using ferrolux::test::TempDir;

namespace {

using Counts = std::map<std::string, long>;

// A tree of text files, the same on every run.
void writeTree(const TempDir& dir) {
    const char* words[] = {"error",      "Error", "ERROR",  "int",    "integer", "print_int",
                           "foo",        "bar",   "foobar", "colour", "color",   "abbc",
                           "ac",         "a.b",   "axb",    "TODO",   "FIXME",   "#include",
                           "été",        "Été",   "über",   "naïve",  "x",       "y",
                           "z",          "123",   ";",      "the",    "The",     "other",
                           "snake_case", "a-c",   "ÜBER",   "x_y",    "(int)",   "zz"};
    std::mt19937 random(18);
    for (int f = 0; f < 120; ++f) {
        std::string text;
        const bool crlf = f % 4 == 3;
        const int lines = f % 10 == 0 ? 0 : int(random() % 40);
        for (int l = 0; l < lines; ++l) {
            const unsigned kind = random() % 8;
            if (kind == 0) {
                // an empty line
            } else if (kind == 1) {
                text += std::string(random() % 3 + 1, ' ');
            } else {
                const unsigned count = random() % 7 + 1;
                for (unsigned w = 0; w < count; ++w) {
                    if (w > 0) text += random() % 5 ? " " : "";
                    text += words[random() % std::size(words)];
                }
                if (random() % 6 == 0) text += ';';
            }
            const bool last = l + 1 == lines;
            if (!last || random() % 3) text += crlf ? "\r\n" : "\n";
        }
        // Files of line breaks alone.
        if (f == 5 || f == 15 || f == 25) text = f == 5 ? "\n" : f == 15 ? "\n\n" : "\r\n";
        std::ostringstream name;
        name << "d" << f % 3 << "/f" << f << ".txt";
        dir.write(name.str(), text);
    }
}

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        out.push_back(line);
    return out;
}

// ferrolux-search's rows: name, directory, matches, ...
Counts ferroluxCounts(const std::vector<std::string>& options, const std::string& pattern,
                      const std::string& root) {
    std::vector<std::string> args = {"-r", "-j", "2", "--text"};
    args.insert(args.end(), options.begin(), options.end());
    args.push_back(pattern);
    args.push_back(root);
    const ProgramResult r = runProgram(FERROLUX_SEARCH_EXE, args);
    EXPECT_LE(r.exitCode, 1) << r.err;
    Counts counts;
    for (const std::string& row : lines(r.out)) {
        std::istringstream fields(row);
        std::string name, directory, matches;
        std::getline(fields, name, '\t');
        std::getline(fields, directory, '\t');
        std::getline(fields, matches, '\t');
        counts[directory + name] = std::stol(matches);
    }
    return counts;
}

// grep -c's "path:count" lines, files without a matching line left out.
Counts grepCounts(const std::vector<std::string>& options, const std::string& pattern,
                  const std::string& root) {
    std::vector<std::string> args = {"LC_ALL=C.UTF-8", "grep", "-r", "-c", "-E"};
    args.insert(args.end(), options.begin(), options.end());
    args.push_back("-e");
    args.push_back(pattern);
    args.push_back(root);
    const ProgramResult r = runProgram("/usr/bin/env", args);
    EXPECT_LE(r.exitCode, 1) << r.err;
    Counts counts;
    for (const std::string& line : lines(r.out)) {
        const size_t colon = line.rfind(':');
        const long count = std::stol(line.substr(colon + 1));
        if (count > 0) counts[line.substr(0, colon)] = count;
    }
    return counts;
}

TEST(GrepDifferential, PerFileCountsEqualGnuGrepsForEveryPattern) {
    TempDir dir;
    writeTree(dir);
    // GNU grep reads a CR as an ordinary character; the pattern language
    // reads CR LF as a line end, and neither `.` nor a negated class takes
    // a CR. The grep patterns say the same in its terms ("\r" is a CR).
    const struct {
        std::vector<std::string> options; // ferrolux-search's
        const char* pattern;
        const char* grep;
        std::vector<std::string> grepOptions;
    } cases[] = {
        {{"--case-sensitive"}, "^$", "^\r?$", {}},
        {{"--case-sensitive"}, "z*", "z*", {}},
        {{"--case-sensitive"}, "x-$", "x?\r?$", {}},
        {{"--case-sensitive"}, "^ *$", "^ *\r?$", {}},
        {{"--case-sensitive"}, "[0-9]*", "[0-9]*", {}},
        {{"--case-sensitive"}, "^[a-z]*$", "^[a-z]*\r?$", {}},
        {{"--case-sensitive"}, "error", "error", {}},
        {{"--case-sensitive"}, "^#", "^#", {}},
        {{"--case-sensitive"}, ";$", ";\r?$", {}},
        {{"--case-sensitive"}, "^foo", "^foo", {}},
        {{"--case-sensitive"}, "[A-Z][a-z]+", "[A-Z][a-z]+", {}},
        {{"--case-sensitive"}, "[^a-z ]", "[^a-z \r]", {}},
        {{"--case-sensitive"}, "[éü]", "[éü]", {}},
        {{"--case-sensitive"}, "foo|bar", "foo|bar", {}},
        {{"--case-sensitive"}, "TODO|FIXME|#include", "TODO|FIXME|#include", {}},
        {{"--case-sensitive"}, "colou-r", "colou?r", {}},
        {{"--case-sensitive"}, "ab+c", "ab+c", {}},
        {{"--case-sensitive"}, "a.c", "a[^\r]c", {}},
        {{"--case-sensitive"}, "foo&bar", "foo.*bar|bar.*foo", {}},
        {{"--case-sensitive", "-w"}, "int", "\\<int\\>", {}},
        {{"--case-sensitive", "-w"}, "[a-z]+_[a-z]+", "\\<[a-z]+_[a-z]+\\>", {}},
        {{"--case-sensitive"}, "\\<é", "\\<é", {}},
        {{"--case-sensitive"}, "\\<[a-z]+\\>$", "\\<[a-z]+\\>\r?$", {}},
        {{"--case-sensitive", "-F"}, "a.b", "a\\.b", {}},
        {{}, "error", "error", {"-i"}},
        {{}, "ÉTÉ", "ÉTÉ", {"-i"}},
        {{}, "über", "über", {"-i"}},
        {{"-w"}, "the", "\\<the\\>", {"-i"}},
        {{}, "^$", "^\r?$", {"-i"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.pattern) + " / grep " + c.grep);
        const Counts expected = grepCounts(c.grepOptions, c.grep, dir.path());
        EXPECT_FALSE(expected.empty()); // every pattern has something to count
        const Counts actual = ferroluxCounts(c.options, c.pattern, dir.path());
        std::vector<std::string> differences;
        for (const auto& [path, count] : expected)
            if (!actual.contains(path) || actual.at(path) != count)
                differences.push_back(path + ": grep " + std::to_string(count));
        for (const auto& [path, count] : actual)
            if (!expected.contains(path) || expected.at(path) != count)
                differences.push_back(path + ": ferrolux-search " + std::to_string(count));
        EXPECT_TRUE(differences.empty()) << ::testing::PrintToString(differences);
    }
}

} // namespace
