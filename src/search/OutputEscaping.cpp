#include "search/OutputEscaping.h"

namespace ferrolux {
namespace {

// Length of the valid UTF-8 sequence at the start of s, or 0.
size_t validSequenceLength(std::string_view s) {
    const auto byte = [&](size_t i) { return static_cast<unsigned char>(s[i]); };
    const unsigned char lead = byte(0);
    size_t length;
    char32_t min;
    if (lead >= 0xC2 && lead <= 0xDF)
        length = 2, min = 0x80;
    else if (lead >= 0xE0 && lead <= 0xEF)
        length = 3, min = 0x800;
    else if (lead >= 0xF0 && lead <= 0xF4)
        length = 4, min = 0x10000;
    else
        return 0;
    if (s.size() < length) return 0;
    char32_t cp = lead & (0x7F >> length);
    for (size_t i = 1; i < length; ++i) {
        if ((byte(i) & 0xC0) != 0x80) return 0;
        cp = (cp << 6) | (byte(i) & 0x3F);
    }
    const bool surrogate = cp >= 0xD800 && cp <= 0xDFFF;
    return (cp < min || cp > 0x10FFFF || surrogate) ? 0 : length;
}

bool isC1Control(std::string_view sequence) {
    return sequence.size() == 2 && static_cast<unsigned char>(sequence[0]) == 0xC2 &&
           static_cast<unsigned char>(sequence[1]) < 0xA0;
}

void appendHex(std::string& out, std::string_view bytes) {
    static const char digits[] = "0123456789ABCDEF";
    for (unsigned char b : bytes) {
        out += "\\x";
        out += digits[b >> 4];
        out += digits[b & 0xF];
    }
}

} // namespace

std::string escapeField(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    for (size_t i = 0; i < bytes.size();) {
        const unsigned char b = static_cast<unsigned char>(bytes[i]);
        if (b == '\\') {
            out += "\\\\";
            ++i;
        } else if (b < 0x20 || b == 0x7F) {
            appendHex(out, bytes.substr(i, 1));
            ++i;
        } else if (b < 0x80) {
            out += char(b);
            ++i;
        } else {
            const size_t length = validSequenceLength(bytes.substr(i));
            const std::string_view sequence = bytes.substr(i, length ? length : 1);
            if (length == 0 || isC1Control(sequence))
                appendHex(out, sequence);
            else
                out += sequence;
            i += sequence.size();
        }
    }
    return out;
}

} // namespace ferrolux
