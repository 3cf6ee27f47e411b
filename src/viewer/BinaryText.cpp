#include "viewer/BinaryText.h"

#include "search/MatchListing.h"
#include "viewer/ViewerDocument.h"

#include <algorithm>
#include <array>

namespace ferrolux {
namespace {

bool startsWith(const std::string& bytes, std::string_view prefix) {
    return std::string_view(bytes).substr(0, prefix.size()) == prefix;
}

void convertWordPerfect(std::string& bytes) {
    for (char& c : bytes)
        if (c == '\x80' || c == '\xCF') c = ' ';
    for (size_t i = 0; i + 1 < bytes.size(); ++i) {
        if (bytes[i] == '\xCC' && bytes[i + 1] == '\xCC') {
            bytes[i] = '\r';
            bytes[i + 1] = '\n';
            ++i;
        }
    }
}

void addLineFeedAfterReturns(std::string& bytes) {
    const size_t returns = size_t(std::count(bytes.begin(), bytes.end(), '\r'));
    if (returns == 0) return;
    std::string converted;
    converted.reserve(bytes.size() + returns);
    for (char c : bytes) {
        converted += c;
        if (c == '\r') converted += '\n';
    }
    bytes.swap(converted);
}

const std::array<bool, 256>& strippedBytes() {
    static const std::array<bool, 256> table = [] {
        std::array<bool, 256> t{};
        for (unsigned char c : ViewerStripSet())
            t[c] = true;
        return t;
    }();
    return table;
}

bool matchesAt(std::string_view text, size_t pos, std::string_view needle) {
    for (size_t i = 0; i < needle.size(); ++i)
        if (needle[i] != '?' && needle[i] != text[pos + i]) return false;
    return true;
}

} // namespace

const std::string& ViewerStripSet() {
    static const std::string set = [] {
        std::string s = ControlStripSet();
        for (int c = 127; c <= 255; ++c)
            s += char(c);
        return s;
    }();
    return set;
}

void convertWordProcessorBreaks(std::string& bytes) {
    if (startsWith(bytes, "\xFFWPC")) convertWordPerfect(bytes);
    if (startsWith(bytes, "\xD0\xCF")) addLineFeedAfterReturns(bytes);
}

std::string binaryShownText(std::string bytes) {
    convertWordProcessorBreaks(bytes);
    const auto& stripped = strippedBytes();
    std::erase_if(bytes, [&](char c) { return stripped[static_cast<unsigned char>(c)]; });
    return bytes;
}

std::optional<size_t> findWithWildcards(std::string_view text, std::string_view needle,
                                        size_t from) {
    if (from > text.size() || needle.size() > text.size() - from) return std::nullopt;
    if (needle.find('?') == std::string_view::npos) {
        const size_t pos = text.find(needle, from);
        return pos == std::string_view::npos ? std::nullopt : std::optional(pos);
    }
    for (size_t pos = from; pos + needle.size() <= text.size(); ++pos)
        if (matchesAt(text, pos, needle)) return pos;
    return std::nullopt;
}

ControlOffsets::ControlOffsets(std::string_view shownText) {
    size_t row = 0;
    for (size_t i = 0; i < shownText.size(); ++i) {
        const char c = shownText[i];
        if (c == '\r' || c == '\n') {
            if (c == '\r' && i + 1 < shownText.size() && shownText[i + 1] == '\n')
                pairStarts_.push_back(i);
            row = 0;
        } else if (row == size_t(MaxRowCharacters)) {
            breaksBefore_.push_back(i);
            row = 1;
        } else {
            ++row;
        }
    }
}

int32_t ControlOffsets::at(size_t textOffset) const {
    const auto pairs = std::lower_bound(pairStarts_.begin(), pairStarts_.end(), textOffset);
    const auto breaks = std::upper_bound(breaksBefore_.begin(), breaksBefore_.end(), textOffset);
    return int32_t(textOffset - size_t(pairs - pairStarts_.begin()) +
                   size_t(breaks - breaksBefore_.begin()));
}

QString ControlOffsets::controlText(std::string_view shownText) const {
    QString text;
    text.reserve(qsizetype(shownText.size() + breaksBefore_.size()));
    size_t start = 0;
    for (size_t rowBreak : breaksBefore_) {
        text += QLatin1String(shownText.data() + start, qsizetype(rowBreak - start));
        text += QLatin1Char('\n');
        start = rowBreak;
    }
    text += QLatin1String(shownText.data() + start, qsizetype(shownText.size() - start));
    return text;
}

} // namespace ferrolux
