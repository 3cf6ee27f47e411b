#include "viewer/ViewerDocument.h"

#include "platform/posix/OpenPath.h"
#include "platform/posix/UniqueFd.h"
#include "search/TextDecoding.h"

#include <algorithm>
#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

namespace ferrolux {
namespace {

constexpr size_t ChunkSize = size_t(1) << 20;

// Characters the text control would take for a line break inside a line;
// shown as a visible stand-in so that lines stay where the engine counts them.
void keepOnOneLine(QString& line) {
    for (QChar& c : line) {
        const char16_t u = c.unicode();
        if (u == u'\r')
            c = QChar(0x240D);
        else if (u == 0x2029 || u == 0xFDD0 || u == 0xFDD1)
            c = QChar(0xFFFD);
    }
}

// Appends a line, breaking it into rows of at most MaxRowCharacters
// without parting a surrogate pair.
void appendInRows(QString& text, const QString& line) {
    qsizetype start = 0;
    while (line.size() - start > MaxRowCharacters) {
        qsizetype end = start + MaxRowCharacters;
        if (line.at(end - 1).isHighSurrogate()) --end;
        text += QStringView(line).mid(start, end - start);
        text += QLatin1Char('\n');
        start = end;
    }
    text += QStringView(line).mid(start);
}

} // namespace

FileBytes readFileBytes(const std::string& path, int64_t maxBytes) {
    FileBytes result;
    UniqueFd fd(openRegularFile(path));
    if (!fd) {
        result.error = errno;
        return result;
    }
    struct stat info {};
    if (::fstat(fd.get(), &info) == 0 && info.st_size > 0) {
        const int64_t expected =
            maxBytes < 0 ? info.st_size : std::min<int64_t>(maxBytes, info.st_size);
        result.bytes.reserve(size_t(expected));
    }
    const size_t limit = maxBytes < 0 ? SIZE_MAX : size_t(maxBytes);
    while (result.bytes.size() < limit) {
        const size_t want = std::min(ChunkSize, limit - result.bytes.size());
        const size_t old = result.bytes.size();
        result.bytes.resize(old + want);
        const ssize_t got = ::read(fd.get(), result.bytes.data() + old, want);
        if (got < 0 && errno == EINTR) {
            result.bytes.resize(old);
            continue;
        }
        result.bytes.resize(old + size_t(std::max<ssize_t>(got, 0)));
        if (got < 0) result.error = errno;
        if (got <= 0) break;
    }
    return result;
}

int32_t TextModeDocument::lineLength(size_t line) const {
    const int32_t end =
        line + 1 < lineStarts.size() ? lineStarts[line + 1] - 1 : int32_t(text.size());
    return end - lineStarts[line];
}

int32_t TextModeDocument::lineOf(int32_t offset) const {
    const auto after = std::upper_bound(lineStarts.begin(), lineStarts.end(), offset);
    return after == lineStarts.begin() ? 0 : int32_t(after - lineStarts.begin() - 1);
}

void appendTextLines(TextModeDocument& doc, std::string_view part, bool last) {
    size_t start = 0;
    while (true) {
        const size_t lf = part.find('\n', start);
        if (lf == std::string_view::npos && !last) break;
        std::string_view line = part.substr(start, lf == std::string_view::npos ? lf : lf - start);
        if (lf != std::string_view::npos && !line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        QString shown = displayText(line);
        keepOnOneLine(shown);
        if (!doc.lineStarts.empty()) doc.text += QLatin1Char('\n');
        doc.lineStarts.push_back(int32_t(doc.text.size()));
        appendInRows(doc.text, shown);
        if (lf == std::string_view::npos) break;
        start = lf + 1;
    }
}

TextModeDocument textModeDocument(std::string_view bytes) {
    TextModeDocument doc;
    doc.text.reserve(qsizetype(bytes.size()));
    appendTextLines(doc, bytes, true);
    return doc;
}

} // namespace ferrolux
