#include "search/FileMask.h"

#include "platform/DisplayText.h"

#include <QList>
#include <QString>
#include <QStringDecoder>
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

// Code points, so that "?" stands for one character even beyond U+FFFF.
std::u32string codePoints(const QString& text) {
    const QList<uint> ucs4 = text.toUcs4();
    return std::u32string(ucs4.begin(), ucs4.end());
}

// Names or masks beyond ASCII are compared one character at a time, each
// folded on its own: whole-string case mapping would turn "ß" into "SS" or
// the dotless "ı" into "I".
bool globUnicode(std::string_view name, std::string_view mask) {
    const std::u32string n = codePoints(displayText(name));
    const std::u32string m = codePoints(displayText(mask));
    return globMatch(n, m, [](char32_t a, char32_t b) {
        return a == b || QChar::toCaseFolded(a) == QChar::toCaseFolded(b);
    });
}

bool glob(std::string_view name, std::string_view mask) {
    return isAscii(name) && isAscii(mask) ? globAscii(name, mask) : globUnicode(name, mask);
}

bool endsWith(std::string_view text, std::string_view tail) {
    return text.size() >= tail.size() && text.substr(text.size() - tail.size()) == tail;
}

} // namespace

bool fitsFileMask(std::string_view name, std::string_view mask) {
    if (mask.empty()) return false;
    if (glob(name, mask)) return true;
    if (name.find('.') != std::string_view::npos) return false;
    // "NAME.*" and "NAME." also fit NAME without any extension.
    if (endsWith(mask, ".*")) return glob(name, mask.substr(0, mask.size() - 2));
    return endsWith(mask, ".") && glob(name, mask.substr(0, mask.size() - 1));
}

std::string upperCaseMask(std::string_view mask) {
    std::string upper(mask);
    for (char& c : upper)
        if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
    if (isAscii(mask)) return upper;
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8.decode(QByteArrayView(mask.data(), qsizetype(mask.size())));
    if (utf8.hasError()) return upper; // bytes the user typed stay as they are
    std::u32string characters = codePoints(text);
    for (char32_t& c : characters) {
        const char32_t capital = QChar::toUpper(c);
        if (QChar::toCaseFolded(capital) == QChar::toCaseFolded(c)) c = capital;
    }
    return QString::fromUcs4(characters.data(), qsizetype(characters.size())).toStdString();
}

bool hasFileExtension(std::string_view name, std::string_view extension) {
    if (name.size() < extension.size()) return false;
    const std::string_view tail = name.substr(name.size() - extension.size());
    return std::equal(tail.begin(), tail.end(), extension.begin(), extension.end(),
                      [](char a, char b) { return foldAscii(a) == foldAscii(b); });
}

std::vector<std::string> maskList(std::string_view list) {
    std::vector<std::string> masks;
    const auto blank = [](char c) { return (unsigned char)c <= ' '; };
    while (!list.empty()) {
        const std::string_view::size_type comma = list.find(',');
        std::string_view item = list.substr(0, comma);
        list = comma == std::string_view::npos ? std::string_view() : list.substr(comma + 1);
        while (!item.empty() && blank(item.front()))
            item.remove_prefix(1);
        while (!item.empty() && blank(item.back()))
            item.remove_suffix(1);
        if (!item.empty()) masks.emplace_back(item);
    }
    return masks;
}

} // namespace ferrolux
