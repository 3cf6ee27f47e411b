// Compares the engine with the reference matcher over every short string of a
// tiny alphabet, for both interfaces, and every way of counting with the
// lines listed.
#include "EngineProbes.h"
#include "ReferenceMatcher.h"
#include "TempDir.h"
#include "engine/LineSearch.h"
#include "engine/Searcher.h"
#include "engine/WordBoundaryMatcher.h"
#include "search/BinaryScan.h"
#include "search/FileSearch.h"
#include "search/GrepEngine.h"
#include "search/SearchHost.h"
#include "search/SearchRun.h"
#include "search/SearchSession.h"
#include "search/SearchState.h"
#include "search/TextDecoding.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <map>
#include <random>
#include <string>
#include <vector>

namespace ferrolux {
namespace {

using Matches = std::vector<std::pair<size_t, size_t>>;

std::vector<std::string> allStrings(const std::string& alphabet, size_t maxLength) {
    std::vector<std::string> out{""};
    for (size_t begin = 0; begin < out.size(); ++begin) {
        if (out[begin].size() == maxLength) continue;
        for (char c : alphabet)
            out.push_back(out[begin] + c);
    }
    return out;
}

// Every concatenation of at most maxTokens tokens.
std::vector<std::string> allConcatenations(const std::vector<std::string>& tokens,
                                           size_t maxTokens) {
    std::vector<std::string> out{""};
    std::vector<size_t> counts{0};
    for (size_t begin = 0; begin < out.size(); ++begin) {
        if (counts[begin] == maxTokens) continue;
        for (const std::string& token : tokens) {
            out.push_back(out[begin] + token);
            counts.push_back(counts[begin] + 1);
        }
    }
    return out;
}

std::string printable(const std::string& s) {
    static const char digits[] = "0123456789abcdef";
    std::string out;
    for (char c : s) {
        const auto b = static_cast<unsigned char>(c);
        if (c == '\n')
            out += "\\n";
        else if (c == '\r')
            out += "\\r";
        else if (b >= 0x80)
            out += std::string("\\x") + digits[b >> 4] + digits[b & 15];
        else
            out += c;
    }
    return out;
}

Matches engineMatches(const GrepEngine& engine, RGrepState& state, const std::string& text) {
    Matches out;
    state.matchStart = state.matchEnd = nullptr;
    const char* from = text.data();
    while (out.size() <= text.size() + 1 && engine.RGrep(text, from, state)) {
        out.emplace_back(state.matchStart - text.data(), state.matchEnd - text.data());
        from = state.matchEnd;
    }
    return out;
}

std::vector<int64_t> engineLines(const std::string& pattern, bool caseSensitive,
                                 const std::string& text, size_t chunk) {
    std::string error;
    auto compiled =
        engine::CompiledPattern::compile(pattern, caseSensitive, engine::PatternUse::Lines, error);
    GrepLimits limits;
    limits.chunkSize = chunk;
    engine::ReadBuffer buffer;
    engine::LineSearch search(compiled, std::make_unique<engine::MemorySource>(text), buffer,
                              limits, nullptr);
    std::vector<int64_t> lines;
    while (auto found = search.next())
        lines.push_back(found->number);
    return lines;
}

std::vector<int64_t> referenceLines(const test::ReferenceMatcher& ref, const std::string& text) {
    std::vector<int64_t> lines;
    size_t start = 0;
    int64_t number = 1;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        if (ref.lineMatches(std::string_view(text).substr(start, end - start)))
            lines.push_back(number);
        start = end + 1;
        ++number;
    }
    return lines;
}

struct Case {
    const char* pattern;
    bool caseSensitive;
};

// The text in UTF-16 (little-endian, with its byte-order mark); ASCII only.
std::string utf16Of(const std::string& ascii) {
    std::string out = "\xFF\xFE";
    for (char c : ascii)
        out += std::string{c, '\0'};
    return out;
}

bool isAscii(const std::string& text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return (c & 0x80) == 0; });
}

// Every way the program counts the matching lines of a text: each must give
// the number of lines the reference finds (and the listing shows). The first
// texts (the shortest: the lists grow by length) are also written to files,
// in UTF-8 and, when they are ASCII, in UTF-16; opening files for all of them
// would make the test slow without reaching more cases.
class CountPaths {
public:
    static constexpr size_t FileTexts = 1000;

    explicit CountPaths(const std::vector<std::string>& texts) {
        for (size_t i = 0; i < std::min(texts.size(), FileTexts); ++i) {
            files_.push_back(dir_.write(std::to_string(i) + ".txt", texts[i]));
            utf16Files_.push_back(
                isAscii(texts[i]) ? dir_.write(std::to_string(i) + ".u16", utf16Of(texts[i])) : "");
        }
        small_.chunkSize = 16;
    }

    void usePattern(const Case& c) {
        std::string error;
        pattern_ = engine::compileForLines(c.pattern, c.caseSensitive, error);
        caseFlag_ = c.caseSensitive ? GrepTrue : GrepFalse;
        fileSearch_ = std::make_unique<FileSearch>(c.pattern, 1 << 20, nullptr);
        options_.caseSensitive = c.caseSensitive;
        source_ = c.pattern;
    }

    // "path: count" for every path whose count is not `expected`.
    std::vector<std::string> disagreements(size_t i, const std::string& text, int64_t expected) {
        std::vector<std::string> out;
        const auto check = [&](const char* path, std::optional<int64_t> count) {
            if (count != expected)
                out.push_back(std::string(path) + ": " + ::testing::PrintToString(count));
        };
        engine::Searcher searcher(small_);
        const auto memory = [&](std::string bytes) {
            return std::make_unique<engine::MemorySource>(std::move(bytes));
        };
        check("memory", searcher.countLines(pattern_, memory(text), nullptr));
        check("head", searcher.countLines(pattern_, text, nullptr, nullptr));
        const size_t half = text.size() / 2;
        check("head and rest", searcher.countLines(pattern_, std::string_view(text).substr(0, half),
                                                   memory(text.substr(half)), nullptr));
        if (isAscii(text))
            check("utf-16",
                  searcher.countLines(pattern_,
                                      std::make_unique<Utf16Source>(memory(utf16Of(text)),
                                                                    Utf16Order::LittleEndian),
                                      nullptr));
        if (i >= files_.size()) return out;
        const int fd = ::open(files_[i].c_str(), O_RDONLY | O_CLOEXEC);
        check("file", searcher.countLines(pattern_, std::make_unique<engine::FileSource>(fd, true),
                                          nullptr));
        check("file search", fileSearch_->search(files_[i], options_).matches);
        check("engine", test::countLines(engine_, files_[i], source_, caseFlag_));
        if (!utf16Files_[i].empty())
            check("utf-16 file search", fileSearch_->search(utf16Files_[i], options_).matches);
        return out;
    }

private:
    test::TempDir dir_;
    std::vector<std::string> files_;
    std::vector<std::string> utf16Files_;
    GrepLimits small_;
    engine::PatternHandle pattern_;
    int caseFlag_ = GrepTrue;
    std::unique_ptr<FileSearch> fileSearch_;
    FileSearchOptions options_;
    std::string source_;
    GrepEngine engine_;
};

// The binary scan counts every match of the in-memory loop, in windows.
std::optional<int64_t> binaryCount(GrepEngine& engine, const Case& c, const std::string& text) {
    engine::MemorySource source(text);
    return countBinaryMatches(engine, source, c.pattern, c.caseSensitive ? GrepTrue : GrepFalse,
                              1 << 20, nullptr);
}

void compareOver(const std::vector<Case>& cases, const std::vector<std::string>& texts) {
    GrepEngine engine;
    CountPaths counts(texts);
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string("pattern ") + printable(c.pattern));
        test::ReferenceMatcher memoryRef(c.pattern, c.caseSensitive, false);
        test::ReferenceMatcher lineRef(c.pattern, c.caseSensitive, true);
        ASSERT_TRUE(memoryRef.valid());
        RGrepState state;
        ASSERT_EQ(engine.CompileRGrep(c.pattern, c.caseSensitive ? GrepTrue : GrepFalse, state), 0)
            << state.error;
        counts.usePattern(c);
        int failures = 0;
        for (size_t i = 0; i < texts.size(); ++i) {
            const std::string& text = texts[i];
            const Matches expected = memoryRef.allMatches(text);
            const Matches actual = engineMatches(engine, state, text);
            if (expected != actual && ++failures <= 3)
                ADD_FAILURE() << "in memory, text \"" << printable(text)
                              << "\": " << ::testing::PrintToString(actual) << " expected "
                              << ::testing::PrintToString(expected);
            const auto binary = binaryCount(engine, c, text);
            if (binary != int64_t(expected.size()) && ++failures <= 3)
                ADD_FAILURE() << "binary count, text \"" << printable(text)
                              << "\": " << ::testing::PrintToString(binary) << " expected "
                              << expected.size();
            const auto expectedLines = referenceLines(lineRef, text);
            const auto actualLines = engineLines(c.pattern, c.caseSensitive, text, 16);
            if (expectedLines != actualLines && ++failures <= 3)
                ADD_FAILURE() << "lines, text \"" << printable(text)
                              << "\": " << ::testing::PrintToString(actualLines) << " expected "
                              << ::testing::PrintToString(expectedLines);
            const auto wrong = counts.disagreements(i, text, int64_t(expectedLines.size()));
            if (!wrong.empty() && ++failures <= 3)
                ADD_FAILURE() << "counts, text \"" << printable(text) << "\" ("
                              << expectedLines.size()
                              << " lines): " << ::testing::PrintToString(wrong);
        }
        EXPECT_EQ(failures, 0);
    }
}

void compareOver(const std::vector<Case>& cases, const std::string& alphabet, size_t maxLength) {
    compareOver(cases, allStrings(alphabet, maxLength));
}

TEST(ExhaustiveComparison, OperatorsAndAnchors) {
    compareOver(
        {{"a", true},     {"ab", true},    {"a*", true},       {"a+b", true},     {"a-b", true},
         {"ba*", true},   {".", true},     {"a.b", true},      {"[ab]", true},    {"[^a]", true},
         {"[^ ]+", true}, {"^a", true},    {"b$", true},       {"^$", true},      {"^a*$", true},
         {"a|b", true},   {"ab|a", true},  {"a|ab", true},     {"a*|b", true},    {"a-|b", true},
         {".*b", true},   {"a.*", true},   {"[a-b]+ ", true},  {"*a", true},      {"a**", true},
         {"-b", true},    {"^*", true},    {"b$|^a", true},    {"a\\r\\n", true}, {"\\n", true},
         {"a\\nb", true}, {"a\\r", true},  {"[\\r\\n]", true}, {"[^\\n]*", true}, {"\\.", true},
         {"a&b", true},   {"a|b&b", true}, {"b&a&^a", true},   {"^b-&a$", true},  {"a b", true}},
        "ab \r\n", 5);
}

// Where one RE2 call over a long stretch would run too long to heed Stop,
// the thread matcher searches the stretch instead: it must find the match
// RE2 finds, for alternatives without \< or \> too.
TEST(ExhaustiveComparison, TheThreadMatcherFindsWhatRE2FindsWhereItStandsIn) {
    const char* patterns[] = {
        "a",     "ab",      "a*",    "a+b",   "a-b",  "ba*",      ".",       "a.b",
        "[ab]",  "[^a]",    "[^ ]+", "^a",    "b$",   "^$",       "^a*$",    "a|b",
        "ab|a",  "a|ab",    "a*|b",  "a-|b",  ".*b",  "a.*",      "*a",      "-b",
        "b$|^a", "a\\r\\n", "\\n",   "a\\nb", "a\\r", "[\\r\\n]", "[^\\n]*", "a-a-a-[^a]"};
    const auto texts = allStrings("ab \r\n", 5);
    for (const char* pattern : patterns) {
        SCOPED_TRACE(std::string("pattern ") + printable(pattern));
        const auto parsed = engine::parsePattern(pattern, true);
        ASSERT_TRUE(parsed.error.empty()) << parsed.error;
        ASSERT_EQ(parsed.pattern.conjuncts.size(), 1u);
        std::string error;
        const auto matcher =
            engine::WordBoundaryMatcher::build(parsed.pattern.conjuncts.front(), error);
        ASSERT_TRUE(matcher) << error;
        const test::ReferenceMatcher reference(pattern, true, false);
        int failures = 0;
        for (const std::string& text : texts) {
            const auto found = matcher->find(text, 0, text.size(), text.size());
            std::optional<std::pair<size_t, size_t>> actual;
            // What follows a final line break is no line: nothing matches there.
            if (found && !(found->start == text.size() && (text.empty() || text.back() == '\n')))
                actual.emplace(found->start, found->end);
            const auto expected = reference.find(text, 0);
            if (actual != expected && ++failures <= 3)
                ADD_FAILURE() << "text \"" << printable(text)
                              << "\": " << ::testing::PrintToString(actual) << " expected "
                              << ::testing::PrintToString(expected);
        }
        EXPECT_EQ(failures, 0);
    }
}

TEST(ExhaustiveComparison, WordBoundaries) {
    compareOver({{"\\<a", true},           {"a\\>", true},      {"\\<a\\>", true},
                 {"\\<[ab]+\\>", true},    {"\\<a*\\>", true},  {"\\<a*", true},
                 {"a*\\>", true},          {"\\<", true},       {"\\>", true},
                 {"\\< ", true},           {" \\>", true},      {".\\<", true},
                 {"\\>.", true},           {"a\\<b", true},     {"a-\\<b", true},
                 {"\\<b-a", true},         {"\\< *a", true},    {"a\\r\\n\\>", true},
                 {"\\<ab\\r\\n\\>", true}, {"^\\<a", true},     {"\\>$", true},
                 {"a+\\>", true},          {"[a ]*\\>b", true}, {"\\<\\<a", true},
                 {"b\\>\\>", true},        {"\\<a|b", true},    {"b|\\<a", true},
                 {"a\\>|ab", true},        {"\\<a.-\\>", true}, {"b-\\> -\\<a", true},
                 {"\\<a&b\\>", true},      {"\\>$|^\\<", true}, {"a$\\>", true}},
                "ab \r\n", 5);
}

// Word boundaries beside characters of several bytes, valid UTF-8 or not:
// "é" and "«" in UTF-8 and in Windows-1252, a lone lead byte, and their
// concatenations (0xC3 then 0xAB is "ë").
TEST(ExhaustiveComparison, WordBoundariesBesideNonAsciiCharacters) {
    const std::vector<std::string> tokens = {"a",    " ",    "\xC3\xA9", "\xC2\xAB",
                                             "\xE9", "\xAB", "\xC3"};
    compareOver({{"\\<a", true},
                 {"a\\>", true},
                 {"\\<a\\>", true},
                 {"\\<a+\\>", true},
                 {"\\<a*\\>", true},
                 {"\\<", true},
                 {"\\>", true},
                 {"\\< a", true},
                 {"a \\<a", true},
                 {"\\<[a ]*\\>", true},
                 {"a-\\>|\\<a", true},
                 {"\\<a&a\\>", true}},
                allConcatenations(tokens, 4));
}

TEST(ExhaustiveComparison, CaseInsensitive) {
    compareOver({{"a", false},
                 {"B", false},
                 {"ab", false},
                 {"[a]", false},
                 {"[^A]", false},
                 {"[a-b]+", false},
                 {"a+B", false},
                 {"\\<b\\>", false},
                 {"A|b", false},
                 {"a&B", false},
                 {"[^b ]", false}},
                "aAbB ", 4);
}

// A whole search, one file after another and on several threads, counts in
// each file the lines the reference finds, for patterns that can match an
// empty line.
TEST(ExhaustiveComparison, SearchesWithOneAndSeveralThreadsCountEveryFileRight) {
    struct Counts : SearchHost {
        std::map<std::string, int64_t> rows;
        void appendFileRow(const FileResult& row) override { rows[row.FileName] = row.Matches; }
        void tell(const UserMessage& message) override {
            ADD_FAILURE() << message.text.toStdString();
        }
    };
    const std::vector<std::string> texts = allStrings("ab \r\n", 4);
    test::TempDir dir;
    for (size_t i = 0; i < texts.size(); ++i)
        dir.write(std::to_string(i) + ".txt", texts[i]);
    for (const char* pattern : {"^$", "z*", "a*", "b-$", "^a-$", "[^a]*", "a|b*", "^ *$"}) {
        SCOPED_TRACE(pattern);
        test::ReferenceMatcher ref(pattern, true, true);
        std::map<std::string, int64_t> expected;
        for (size_t i = 0; i < texts.size(); ++i)
            if (const auto lines = referenceLines(ref, texts[i]); !lines.empty())
                expected[std::to_string(i) + ".txt"] = int64_t(lines.size());
        for (int threads : {1, 2}) {
            SearchRequest request;
            request.StartDirectory = dir.path();
            request.SearchText = pattern;
            request.FileSpecs = "*.*";
            request.live->CaseSensitive = true;
            SearchSession session;
            Counts host;
            ASSERT_FALSE(session.begin(request));
            session.run(host, MatchLimits().MaxMatchLen, QStringLiteral("yyyy/mm/dd  h:mm"),
                        threads);
            EXPECT_EQ(host.rows, expected) << threads << " threads";
        }
    }
}

// Longer random texts reach the prefilter's block loop and buffers holding
// many lines, which the short strings above cannot.
TEST(ExhaustiveComparison, RandomLongerTexts) {
    const std::vector<Case> cases = {{"TODO|FIXME", true}, {"todo|fixme|xx", false},
                                     {"OD", true},         {"od", false},
                                     {"\\<ab\\>", true},   {"a+b&ME", true},
                                     {"b$", true},         {"^T", true},
                                     {"[A-Z]+ ", true},    {"I-X", true},
                                     {"\\<F", false},      {"E\\r\\n", true},
                                     {"O&F&a", true},      {"ab|ba|aa|bb|DO", true}};
    const std::string alphabet = "abTODOFIXME \r\n";
    std::mt19937 random(11);
    GrepEngine engine;
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string("pattern ") + printable(c.pattern));
        test::ReferenceMatcher memoryRef(c.pattern, c.caseSensitive, false);
        test::ReferenceMatcher lineRef(c.pattern, c.caseSensitive, true);
        RGrepState state;
        ASSERT_EQ(engine.CompileRGrep(c.pattern, c.caseSensitive ? GrepTrue : GrepFalse, state), 0);
        for (int round = 0; round < 60; ++round) {
            std::string text(40 + random() % 260, ' ');
            for (char& ch : text)
                ch = alphabet[random() % alphabet.size()];
            EXPECT_EQ(engineMatches(engine, state, text), memoryRef.allMatches(text))
                << printable(text);
            for (size_t chunk : {16, 4096})
                EXPECT_EQ(engineLines(c.pattern, c.caseSensitive, text, chunk),
                          referenceLines(lineRef, text))
                    << printable(text);
        }
    }
}

} // namespace
} // namespace ferrolux
