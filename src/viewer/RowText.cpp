#include "viewer/RowText.h"

#include "platform/DisplayText.h"

#include <QStringDecoder>
#include <algorithm>

namespace ferrolux {
namespace {

// Characters that would break a row in two when it is laid out; they are
// shown as a replacement character instead.
void keepOnOneRow(QString& text) {
    for (QChar& c : text) {
        const char16_t u = c.unicode();
        if (u == 0x2028 || u == 0x2029 || u == 0xFDD0 || u == 0xFDD1) c = QChar(0xFFFD);
    }
}

std::vector<int32_t> utf8Offsets(std::string_view bytes) {
    std::vector<int32_t> offsets;
    offsets.reserve(bytes.size() + 1);
    for (size_t i = 0; i < bytes.size();) {
        const auto lead = static_cast<unsigned char>(bytes[i]);
        const size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
        offsets.push_back(int32_t(i));
        if (length == 4) offsets.push_back(int32_t(i)); // a surrogate pair
        i += length;
    }
    offsets.push_back(int32_t(bytes.size()));
    return offsets;
}

} // namespace

int32_t RowText::byteAt(qsizetype character) const {
    const qsizetype c = std::clamp<qsizetype>(character, 0, text.size());
    return byteOf.empty() ? int32_t(c) : byteOf[size_t(c)];
}

qsizetype RowText::characterAt(int32_t byte) const {
    if (byteOf.empty()) return std::clamp<qsizetype>(byte, 0, text.size());
    auto holder = std::upper_bound(byteOf.begin(), byteOf.end(), byte);
    if (holder != byteOf.begin()) --holder;
    // Both halves of a surrogate pair start at the same byte: take the first.
    while (holder != byteOf.begin() && *std::prev(holder) == *holder)
        --holder;
    return std::min<qsizetype>(holder - byteOf.begin(), text.size());
}

RowText decodeRow(std::string_view bytes) {
    RowText row;
    QStringDecoder utf8(QStringDecoder::Utf8,
                        QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    row.text = utf8.decode(QByteArrayView(bytes.data(), qsizetype(bytes.size())));
    if (utf8.hasError()) {
        row.text = decodeEachCharacter(bytes, &row.byteOf);
        if (row.text.size() == qsizetype(bytes.size())) row.byteOf.clear(); // a byte each
    } else if (row.text.size() != qsizetype(bytes.size())) {
        row.byteOf = utf8Offsets(bytes);
    }
    keepOnOneRow(row.text);
    return row;
}

} // namespace ferrolux
