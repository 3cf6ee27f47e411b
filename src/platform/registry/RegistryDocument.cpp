#include "platform/registry/RegistryDocument.h"

#include <QList>
#include <QStringDecoder>
#include <cstdio>

namespace ferrolux {
namespace {

constexpr std::string_view currentHeader = "Windows Registry Editor Version 5.00";
constexpr std::string_view legacyHeader = "REGEDIT4";
constexpr size_t wrapColumn = 76;

bool sameName(const QString& a, const QString& b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

std::string_view trimmed(std::string_view s) {
    const size_t first = s.find_first_not_of(" \t");
    if (first == std::string_view::npos) return {};
    return s.substr(first, s.find_last_not_of(" \t") - first + 1);
}

// A file mended in another editor may hold single-byte text; such a line is
// read as Latin-1 rather than refused.
QString decodeLine(std::string_view bytes) {
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8(QByteArrayView(bytes.data(), qsizetype(bytes.size())));
    if (!utf8.hasError()) return text;
    return QString::fromLatin1(bytes.data(), qsizetype(bytes.size()));
}

std::string utf16LeToUtf8(std::string_view bytes) {
    QString text;
    text.reserve(qsizetype(bytes.size() / 2));
    for (size_t i = 0; i + 1 < bytes.size(); i += 2)
        text += QChar(char16_t(uint8_t(bytes[i]) | (uint8_t(bytes[i + 1]) << 8)));
    return text.toStdString();
}

// Reads "..." starting at pos, with \\ and \" escaped; pos ends after the
// closing quote. Any other backslash is kept as typed.
std::optional<QString> readQuoted(QStringView line, qsizetype& pos) {
    if (pos >= line.size() || line[pos] != u'"') return std::nullopt;
    QString out;
    for (++pos; pos < line.size(); ++pos) {
        const QChar c = line[pos];
        if (c == u'"') {
            ++pos;
            return out;
        }
        if (c == u'\\' && pos + 1 < line.size() &&
            (line[pos + 1] == u'\\' || line[pos + 1] == u'"'))
            ++pos;
        out += line[pos];
    }
    return std::nullopt;
}

struct ValueLine {
    QString name;
    QString data;
};

std::optional<ValueLine> splitValueLine(QStringView line) {
    qsizetype pos = 0;
    std::optional<QString> name = readQuoted(line, pos);
    if (!name) return std::nullopt;
    QStringView rest = line.mid(pos).trimmed();
    if (!rest.startsWith(u'=')) return std::nullopt;
    return ValueLine{*name, rest.mid(1).trimmed().toString()};
}

std::optional<std::vector<uint8_t>> hexBytes(QStringView text) {
    std::vector<uint8_t> bytes;
    if (text.trimmed().isEmpty()) return bytes;
    for (QStringView part : text.split(u',')) {
        part = part.trimmed();
        bool ok = false;
        const uint byte = part.toUInt(&ok, 16);
        if (!ok || part.size() > 2) return std::nullopt;
        bytes.push_back(uint8_t(byte));
    }
    return bytes;
}

// REG_SZ data carries a terminating NUL; only that one is dropped, so NULs
// inside the text survive.
std::optional<QString> stringFromHex(const std::vector<uint8_t>& bytes, bool unicode) {
    if (!unicode) {
        std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
        if (!text.empty() && text.back() == '\0') text.remove_suffix(1);
        return decodeLine(text);
    }
    if (bytes.size() % 2 != 0) return std::nullopt;
    QString text;
    text.reserve(qsizetype(bytes.size() / 2));
    for (size_t i = 0; i < bytes.size(); i += 2)
        text += QChar(char16_t(bytes[i] | (bytes[i + 1] << 8)));
    if (text.endsWith(QChar(u'\0'))) text.chop(1);
    return text;
}

RegistryValue parseData(QStringView data, bool unicode) {
    if (data.startsWith(u'"')) {
        qsizetype pos = 0;
        std::optional<QString> text = readQuoted(data, pos);
        if (text && data.mid(pos).trimmed().isEmpty()) return RegistryValue::string(*text);
    } else if (data.startsWith(u"dword:", Qt::CaseInsensitive)) {
        const QStringView digits = data.mid(6).trimmed();
        bool ok = false;
        const uint number = digits.toUInt(&ok, 16);
        if (ok && digits.size() <= 8) return RegistryValue::dword(number);
    } else if (data.startsWith(u"hex(1):", Qt::CaseInsensitive)) {
        if (auto bytes = hexBytes(data.mid(7)))
            if (auto text = stringFromHex(*bytes, unicode)) return RegistryValue::string(*text);
    } else if (data.startsWith(u"hex(4):", Qt::CaseInsensitive)) {
        auto bytes = hexBytes(data.mid(7));
        if (bytes && bytes->size() == 4)
            return RegistryValue::dword((*bytes)[0] | ((*bytes)[1] << 8) | ((*bytes)[2] << 16) |
                                        (uint32_t((*bytes)[3]) << 24));
    }
    return {};
}

std::string quoted(const QString& text) {
    QString escaped = text;
    escaped.replace(u'\\', QStringLiteral("\\\\")).replace(u'"', QStringLiteral("\\\""));
    return '"' + escaped.toStdString() + '"';
}

// The quoted form is one line of UTF-8: no line breaks, no NUL, and no
// unpaired surrogate (which UTF-8 cannot carry).
bool quotable(const QString& text) {
    return !text.contains(u'\n') && !text.contains(u'\r') && !text.contains(QChar(u'\0')) &&
           text.isValidUtf16();
}

std::vector<uint8_t> stringBytes(const QString& text, bool unicode) {
    std::vector<uint8_t> bytes;
    if (unicode) {
        for (QChar c : text) {
            bytes.push_back(uint8_t(c.unicode() & 0xff));
            bytes.push_back(uint8_t(c.unicode() >> 8));
        }
        bytes.insert(bytes.end(), {0, 0});
    } else {
        const QByteArray utf8 = text.toUtf8();
        bytes.assign(utf8.begin(), utf8.end());
        bytes.push_back(0);
    }
    return bytes;
}

// Hex data wrapped the way registry exports wrap it: a trailing backslash,
// continued on the next line after two blanks.
std::vector<std::string> hexLines(std::string line, const std::vector<uint8_t>& bytes) {
    std::vector<std::string> lines;
    for (size_t i = 0; i < bytes.size(); ++i) {
        char digits[3];
        std::snprintf(digits, sizeof digits, "%02x", bytes[i]);
        line += digits;
        if (i + 1 == bytes.size()) break;
        line += ',';
        if (line.size() >= wrapColumn) {
            lines.push_back(line + '\\');
            line = "  ";
        }
    }
    lines.push_back(line);
    return lines;
}

bool isBlank(const std::vector<std::string>& raw) {
    return raw.size() == 1 && trimmed(raw.front()).empty();
}

bool usesCrLf(std::string_view bytes) {
    const size_t newline = bytes.find('\n');
    return newline != std::string_view::npos && newline > 0 && bytes[newline - 1] == '\r';
}

std::vector<std::string_view> splitLines(std::string_view body) {
    std::vector<std::string_view> lines;
    while (!body.empty()) {
        const size_t end = body.find('\n');
        std::string_view line = body.substr(0, end);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        lines.push_back(line);
        if (end == std::string_view::npos) break;
        body.remove_prefix(end + 1);
    }
    return lines;
}

} // namespace

RegistryDocument::Entry RegistryDocument::generated(Kind kind, const QString& name,
                                                    const RegistryValue& value) {
    return Entry{kind, {}, name, value};
}

RegistryDocument RegistryDocument::fresh() {
    RegistryDocument document;
    document.header_ = std::string(currentHeader);
    document.entries_.push_back(Entry{Kind::Other, {""}, {}, {}});
    return document;
}

std::optional<RegistryDocument> RegistryDocument::parse(std::string_view bytes) {
    if (bytes.starts_with("\xFF\xFE")) return parse(utf16LeToUtf8(bytes.substr(2)));
    RegistryDocument document = fresh();
    if (bytes.starts_with("\xEF\xBB\xBF")) {
        document.bom_ = true;
        bytes.remove_prefix(3);
    }
    // NUL bytes never occur in the text format; a file full of them is what
    // a crash on some file systems leaves behind.
    if (bytes.find('\0') != std::string_view::npos) return std::nullopt;

    const std::vector<std::string_view> lines = splitLines(bytes);
    size_t i = 0;
    while (i < lines.size() && trimmed(lines[i]).empty())
        ++i;
    if (i == lines.size()) return document;
    const std::string_view header = trimmed(lines[i]);
    if (header != currentHeader && header != legacyHeader) return std::nullopt;
    document.header_ = std::string(header);
    document.unicode_ = header == currentHeader;
    if (usesCrLf(bytes)) document.eol_ = "\r\n";
    document.entries_.clear();

    for (++i; i < lines.size(); ++i) {
        Entry entry{Kind::Other, {std::string(lines[i])}, {}, {}};
        const QString text = decodeLine(lines[i]).trimmed();
        if (text.startsWith(u'[') && text.endsWith(u']')) {
            entry.kind = Kind::Key;
            entry.name = text.mid(1, text.size() - 2).trimmed();
        } else if (std::optional<ValueLine> line = splitValueLine(text)) {
            while (line->data.startsWith(u"hex", Qt::CaseInsensitive) &&
                   line->data.endsWith(u'\\') && i + 1 < lines.size()) {
                line->data.chop(1);
                entry.raw.emplace_back(lines[++i]);
                line->data += decodeLine(lines[i]).trimmed();
            }
            entry.kind = Kind::Value;
            entry.name = line->name;
            entry.value = parseData(line->data, document.unicode_);
        }
        document.entries_.push_back(std::move(entry));
    }
    return document;
}

std::string RegistryDocument::serialize() const {
    std::string out = bom_ ? "\xEF\xBB\xBF" : "";
    out += header_ + eol_;
    for (const Entry& entry : entries_)
        for (const std::string& line : linesOf(entry))
            out += line + eol_;
    return out;
}

std::vector<std::string> RegistryDocument::linesOf(const Entry& entry) const {
    if (!entry.raw.empty()) return entry.raw;
    if (entry.kind == Kind::Key) return {'[' + entry.name.toStdString() + ']'};
    const std::string start = quoted(entry.name) + '=';
    const RegistryValue& value = entry.value;
    if (value.type == RegistryType::Number) {
        char number[16];
        std::snprintf(number, sizeof number, "dword:%08x", value.number);
        return {start + number};
    }
    if (quotable(value.text)) return {start + quoted(value.text)};
    return hexLines(start + "hex(1):", stringBytes(value.text, unicode_));
}

bool RegistryDocument::hasKey(const QString& key) const {
    const QString parent = key + u'\\';
    for (const Entry& entry : entries_)
        if (entry.kind == Kind::Key &&
            (sameName(entry.name, key) || entry.name.startsWith(parent, Qt::CaseInsensitive)))
            return true;
    return false;
}

void RegistryDocument::addKey(const QString& key) {
    if (entries_.empty() || !isBlank(entries_.back().raw))
        entries_.push_back(Entry{Kind::Other, {""}, {}, {}});
    entries_.push_back(generated(Kind::Key, key));
}

std::vector<size_t> RegistryDocument::valueEntries(const QString& key, const QString& name) const {
    std::vector<size_t> found;
    bool inKey = false;
    for (size_t i = 0; i < entries_.size(); ++i) {
        const Entry& entry = entries_[i];
        if (entry.kind == Kind::Key) inKey = sameName(entry.name, key);
        if (inKey && entry.kind == Kind::Value && sameName(entry.name, name)) found.push_back(i);
    }
    return found;
}

std::optional<RegistryValue> RegistryDocument::value(const QString& key,
                                                     const QString& name) const {
    const std::vector<size_t> found = valueEntries(key, name);
    if (found.empty()) return std::nullopt;
    return entries_[found.back()].value;
}

// Where a new value of the key goes: after the last line of its last
// section, before the blank lines that separate it from the next one.
std::optional<size_t> RegistryDocument::endOfLastSection(const QString& key) const {
    std::optional<size_t> last;
    for (size_t i = 0; i < entries_.size(); ++i)
        if (entries_[i].kind == Kind::Key && sameName(entries_[i].name, key)) last = i;
    if (!last) return std::nullopt;
    const size_t section = *last;
    size_t end = section + 1;
    while (end < entries_.size() && entries_[end].kind != Kind::Key)
        ++end;
    while (end > section + 1 && isBlank(entries_[end - 1].raw))
        --end;
    return end;
}

void RegistryDocument::setValue(const QString& key, const QString& name,
                                const RegistryValue& value) {
    const std::vector<size_t> found = valueEntries(key, name);
    if (!found.empty()) {
        entries_[found.back()] = generated(Kind::Value, name, value);
        for (auto it = found.rbegin() + 1; it != found.rend(); ++it)
            entries_.erase(entries_.begin() + ptrdiff_t(*it));
        return;
    }
    std::optional<size_t> end = endOfLastSection(key);
    if (!end) {
        addKey(key);
        end = entries_.size();
    }
    entries_.insert(entries_.begin() + ptrdiff_t(*end), generated(Kind::Value, name, value));
}

} // namespace ferrolux
