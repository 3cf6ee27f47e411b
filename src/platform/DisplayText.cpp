#include "platform/DisplayText.h"

#include "engine/CharSet.h"

#include <QStringDecoder>

namespace ferrolux {
namespace {

// Windows-1252 for 0x80..0x9F; the rest of the upper half is Latin-1.
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

QChar fromCp1252(unsigned char b) {
    return (b >= 0x80 && b < 0xA0) ? QChar(kCp1252High[b - 0x80]) : QChar(b);
}

} // namespace

QString decodeEachCharacter(std::string_view bytes, std::vector<int32_t>* byteOf) {
    QString text;
    text.reserve(qsizetype(bytes.size()));
    if (byteOf) {
        byteOf->clear();
        byteOf->reserve(bytes.size() + 1);
    }
    for (size_t i = 0; i < bytes.size();) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        char32_t cp = 0;
        const int length = b < 0x80 ? 0 : engine::decodeUtf8(bytes.data(), bytes.size(), i, cp);
        const qsizetype before = text.size();
        if (length > 0)
            text += QString::fromUcs4(&cp, 1);
        else
            text += b < 0x80 ? QChar(b) : fromCp1252(b);
        if (byteOf) byteOf->insert(byteOf->end(), size_t(text.size() - before), int32_t(i));
        i += length > 0 ? size_t(length) : 1;
    }
    if (byteOf) byteOf->push_back(int32_t(bytes.size()));
    return text;
}

QString displayText(std::string_view bytes) {
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(QByteArrayView(bytes.data(), qsizetype(bytes.size())));
    if (!utf8.hasError()) return text;
    return decodeEachCharacter(bytes);
}

} // namespace ferrolux
