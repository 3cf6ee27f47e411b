#include "search/TextDecoding.h"

#include <algorithm>
#include <cstring>
#include <unistd.h>
#include <utility>

namespace ferrolux {
namespace {

constexpr char32_t kEnd = 0xFFFFFFFF;
constexpr char32_t kReplacement = 0xFFFD;

size_t utf8Of(char32_t c, char* bytes) {
    if (c < 0x80) {
        bytes[0] = char(c);
        return 1;
    }
    if (c < 0x800) {
        bytes[0] = char(0xC0 | (c >> 6));
        bytes[1] = char(0x80 | (c & 0x3F));
        return 2;
    }
    if (c < 0x10000) {
        bytes[0] = char(0xE0 | (c >> 12));
        bytes[1] = char(0x80 | ((c >> 6) & 0x3F));
        bytes[2] = char(0x80 | (c & 0x3F));
        return 3;
    }
    bytes[0] = char(0xF0 | (c >> 18));
    bytes[1] = char(0x80 | ((c >> 12) & 0x3F));
    bytes[2] = char(0x80 | ((c >> 6) & 0x3F));
    bytes[3] = char(0x80 | (c & 0x3F));
    return 4;
}

} // namespace

Utf16Order utf16OrderOf(std::string_view firstBytes) {
    if (firstBytes.size() < 2) return Utf16Order::None;
    const auto byte = [&](size_t i) { return static_cast<unsigned char>(firstBytes[i]); };
    if (byte(0) == 0xFE && byte(1) == 0xFF) return Utf16Order::BigEndian;
    if (byte(0) != 0xFF || byte(1) != 0xFE) return Utf16Order::None;
    const bool utf32 = firstBytes.size() >= 4 && byte(2) == 0 && byte(3) == 0;
    return utf32 ? Utf16Order::None : Utf16Order::LittleEndian;
}

Utf16Source::Utf16Source(std::unique_ptr<engine::ByteSource> source, Utf16Order order,
                         bool afterMark)
    : source_(std::move(source)), bigEndian_(order == Utf16Order::BigEndian),
      markChecked_(afterMark) {}

std::optional<int64_t> Utf16Source::resumeOffset() const {
    if (!markChecked_ || outStart_ < outEnd_) return std::nullopt;
    // A unit held back after an unpaired high surrogate is read again.
    const int64_t held = int64_t(inEnd_ - inStart_) + (pendingUnit_ ? 2 : 0);
    return sourceRead_ - held;
}

size_t Utf16Source::read(char* into, size_t size) {
    size_t given = 0;
    while (given < size && outStart_ < outEnd_)
        into[given++] = out_[outStart_++];
    while (given < size) {
        const char32_t c = nextCharacter();
        if (c == kEnd) break;
        given += put(c, into + given, size - given);
    }
    return given;
}

bool Utf16Source::fill() {
    if (sourceEnded_) return false;
    const size_t left = inEnd_ - inStart_;
    std::memmove(in_.data(), in_.data() + inStart_, left);
    inStart_ = 0;
    inEnd_ = left;
    const size_t n = source_->read(in_.data() + inEnd_, in_.size() - inEnd_);
    if (n == 0) sourceEnded_ = true;
    inEnd_ += n;
    sourceRead_ += int64_t(n);
    return n > 0;
}

bool Utf16Source::nextUnit(char16_t& unit) {
    if (pendingUnit_) {
        pendingUnit_ = false;
        unit = unit_;
        return true;
    }
    while (inEnd_ - inStart_ < 2)
        if (!fill()) return false;
    const auto first = static_cast<unsigned char>(in_[inStart_]);
    const auto second = static_cast<unsigned char>(in_[inStart_ + 1]);
    inStart_ += 2;
    unit = bigEndian_ ? char16_t(first << 8 | second) : char16_t(second << 8 | first);
    return true;
}

char32_t Utf16Source::nextCharacter() {
    char16_t unit = 0;
    do {
        if (!nextUnit(unit)) {
            if (inStart_ == inEnd_) return kEnd;
            inStart_ = inEnd_; // an odd last byte
            return kReplacement;
        }
    } while (!std::exchange(markChecked_, true) && unit == 0xFEFF);
    if (unit < 0xD800 || unit > 0xDFFF) return unit;
    if (unit >= 0xDC00) return kReplacement; // a low surrogate on its own
    char16_t low = 0;
    if (!nextUnit(low)) return kReplacement;
    if (low >= 0xDC00 && low <= 0xDFFF) return 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
    unit_ = low; // not a pair: the unit stands for itself next time
    pendingUnit_ = true;
    return kReplacement;
}

size_t Utf16Source::put(char32_t c, char* into, size_t room) {
    char bytes[4];
    const size_t length = utf8Of(c, bytes);
    const size_t now = std::min(length, room);
    std::memcpy(into, bytes, now);
    outStart_ = 0;
    outEnd_ = length - now;
    std::memcpy(out_.data(), bytes + now, outEnd_);
    return now;
}

std::unique_ptr<engine::ByteSource> textSourceOf(int fd) {
    char mark[4];
    const ssize_t got = ::pread(fd, mark, sizeof mark, 0);
    const Utf16Order order =
        utf16OrderOf(std::string_view(mark, size_t(std::max<ssize_t>(got, 0))));
    auto file = std::make_unique<engine::FileSource>(fd, true);
    if (order == Utf16Order::None) return file;
    return std::make_unique<Utf16Source>(std::move(file), order);
}

} // namespace ferrolux
