#include "search/PatternPreparation.h"

#include "platform/archive/ArchiveFormats.h"
#include "search/FileMask.h"
#include "search/GrepEngine.h"
#include "search/SearchTexts.h"

#include <QString>
#include <algorithm>
#include <array>
#include <string_view>

namespace ferrolux {
namespace {

// Patterns that would match every line of every file.
constexpr std::array<std::string_view, 7> kMatchEverything = {"+", "*", ".", "^", "$", ".+", ".*"};

// Characters that literal mode takes away from the pattern language.
constexpr std::string_view kOperators = "|&^$.*+-[]";

bool matchesEverything(const std::string& text) {
    for (std::string_view p : kMatchEverything)
        if (text == p) return true;
    return false;
}

std::string escapeBackslashes(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        if (c == '\\') out += '\\';
        out += c;
    }
    return out;
}

std::string escapeOperators(const std::string& text) {
    std::string out;
    out.reserve(text.size() * 2);
    for (char c : text) {
        if (kOperators.find(c) != std::string_view::npos) out += '\\';
        out += c;
    }
    return out;
}

// The engine's reason when it refuses a pattern.
std::optional<Refusal> compileRefusal(const GrepEngine& engine, const std::string& pattern,
                                      int caseFlag) {
    RGrepState check;
    if (engine.CompileRGrep(pattern, caseFlag, check) == 0) return std::nullopt;
    return patternRefusal(check.error);
}

} // namespace

std::optional<Refusal> validateRequest(const SearchRequest& request, const GrepEngine& engine) {
    const bool noSpecs = request.FileSpecs.empty() && !request.ListedFilesOnly;
    if (noSpecs || request.SearchText.empty()) return blankRequestRefusal();
    if (!request.Literal) {
        if (matchesEverything(request.SearchText))
            return matchEverythingRefusal(request.SearchText);
        if (auto refusal = compileRefusal(engine, request.SearchText, GrepFalse)) return refusal;
    }
    // What the search compiles (whole words, literal text) must compile too,
    // or every file would find nothing without a word said.
    const std::string prepared =
        prepareSearchPattern(request.SearchText, request.Literal, request.WholeWords);
    return compileRefusal(engine, prepared, request.live->CaseSensitive ? GrepTrue : GrepFalse);
}

std::string prepareSearchPattern(const std::string& typed, bool literal, bool wholeWords) {
    // In literal mode a backslash is text like any other character; escaping
    // it first keeps "C:\temp" a search for C:\temp and a trailing "\" legal.
    std::string pattern = literal ? escapeBackslashes(typed) : typed;
    if (!pattern.empty() && pattern.back() == '$') {
        pattern.pop_back();
        pattern += "\\r\\n";
    }
    // The end-of-line marker holds no operator, so escaping leaves it working.
    if (literal) pattern = escapeOperators(pattern);
    if (wholeWords) pattern = "\\<" + pattern + "\\>";
    return pattern;
}

std::string workingFileSpecs(const std::string& typed, bool searchZipFiles, bool otherArchives) {
    std::string specs = upperCaseMask(typed);
    if (!searchZipFiles || specs.find("*.*") != std::string::npos) return specs;
    if (specs.find("*.ZIP") == std::string::npos) specs += ",*.ZIP";
    if (!otherArchives) return specs;
    // Masks of their own, unless typed as they are ("*.TAR" is in "*.TAR.GZ").
    std::string items = "," + specs + ",";
    items.erase(std::remove_if(items.begin(), items.end(),
                               [](char c) { return static_cast<unsigned char>(c) <= ' '; }),
                items.end());
    for (const std::string& extension : readableArchiveExtensions()) {
        const std::string mask = "*." + extension;
        if (items.find("," + mask + ",") == std::string::npos) specs += "," + mask;
    }
    return specs;
}

} // namespace ferrolux
