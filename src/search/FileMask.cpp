#include "search/FileMask.h"

#include "search/TextDecoding.h"

#include <QString>
#include <algorithm>

namespace ferrolux {
namespace {

bool isAscii(std::string_view s) {
    return std::all_of(s.begin(), s.end(), [](char c) { return (unsigned char)c < 0x80; });
}

char foldAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c;
}

// Glob matching over any sequence type, backtracking only to the last "*",
// so it runs in time proportional to name length times mask length.
template <typename Seq, typename Eq>
bool globMatch(const Seq& name, const Seq& mask, Eq equal) {
    qsizetype n = 0, m = 0, starMask = -1, starName = 0;
    const qsizetype nameLen = qsizetype(name.size()), maskLen = qsizetype(mask.size());
    while (n < nameLen) {
        if (m < maskLen && mask[m] == '*') {
            starMask = m++;
            starName = n;
        } else if (m < maskLen && (mask[m] == '?' || equal(mask[m], name[n]))) {
            ++m;
            ++n;
        } else if (starMask >= 0) {
            m = starMask + 1;
            n = ++starName;
        } else {
            return false;
        }
    }
    while (m < maskLen && mask[m] == '*')
        ++m;
    return m == maskLen;
}

bool globAscii(std::string_view name, std::string_view mask) {
    return globMatch(name, mask, [](char a, char b) { return foldAscii(a) == foldAscii(b); });
}

// Names or masks beyond ASCII are compared character by character, folded.
bool globUnicode(std::string_view name, std::string_view mask) {
    const QString n = displayText(name).toCaseFolded();
    const QString m = QString::fromUtf8(mask.data(), qsizetype(mask.size())).toCaseFolded();
    return globMatch(n, m, [](QChar a, QChar b) { return a == b; });
}

bool glob(std::string_view name, std::string_view mask) {
    return isAscii(name) && isAscii(mask) ? globAscii(name, mask) : globUnicode(name, mask);
}

} // namespace

bool fitsFileMask(std::string_view name, std::string_view mask) {
    if (mask.empty()) return false;
    if (glob(name, mask)) return true;
    const bool dotStar = mask.size() >= 2 && mask.substr(mask.size() - 2) == ".*";
    return dotStar && name.find('.') == std::string_view::npos &&
           glob(name, mask.substr(0, mask.size() - 2));
}

bool caseInsensitiveLess(std::string_view a, std::string_view b) {
    const auto folded = std::mismatch(a.begin(), a.end(), b.begin(), b.end(),
                                      [](char x, char y) { return foldAscii(x) == foldAscii(y); });
    if (folded.first != a.end() && folded.second != b.end())
        return (unsigned char)foldAscii(*folded.first) < (unsigned char)foldAscii(*folded.second);
    if (a.size() != b.size()) return a.size() < b.size();
    return a < b;
}

} // namespace ferrolux
