#include "viewer/BinaryText.h"

#include "engine/ByteSource.h"
#include "search/MatchListing.h"

#include <algorithm>
#include <array>
#include <sys/stat.h>

namespace ferrolux {
namespace {

const std::array<bool, 256>& strippedBytes() {
    static const std::array<bool, 256> table = [] {
        std::array<bool, 256> t{};
        for (unsigned char c : ViewerStripSet())
            t[c] = true;
        return t;
    }();
    return table;
}

// Enough stretches for a fast read, never more than this many.
constexpr int64_t MinStretch = int64_t(64) << 10;
constexpr int64_t MaxCheckpoints = 65536;

int64_t fileBytesShown(const FileText& file) {
    struct stat info {};
    const int64_t size = ::fstat(file.fd(), &info) == 0 ? int64_t(info.st_size) : 0;
    return file.limit() >= 0 ? std::min(size, file.limit()) : size;
}

// Reads the shown text from its start, converting a stretch at a time; the
// index pass leaves a checkpoint at the start of each stretch.
class ShownFromStart : public engine::ByteSource {
public:
    ShownFromStart(const BinaryShownText& text, const FileText& file,
                   ShownTextConverter::Format format, bool recordCheckpoints)
        : text_(text), file_(file), converter_(format), record_(recordCheckpoints),
          raw_(size_t(text.stretch()), '\0') {}

    size_t read(char* into, size_t size) override {
        size_t total = 0;
        while (total < size) {
            if (pos_ == shown_.size() && !convertNextStretch()) break;
            const size_t n = std::min(size - total, shown_.size() - pos_);
            std::copy_n(shown_.data() + pos_, n, into + total);
            pos_ += n;
            total += n;
        }
        return total;
    }

private:
    bool convertNextStretch() {
        if (record_) text_.addCheckpoint({fileOffset_, shownOffset_, converter_.pendingPair()});
        const size_t n = file_.readAt(fileOffset_, raw_.data(), raw_.size());
        if (n == 0) return false;
        fileOffset_ += int64_t(n);
        shown_.clear();
        pos_ = 0;
        converter_.convert(std::string_view(raw_.data(), n), shown_);
        shownOffset_ += int64_t(shown_.size());
        return true;
    }

    const BinaryShownText& text_;
    const FileText& file_;
    ShownTextConverter converter_;
    bool record_;
    std::string raw_;
    std::string shown_;
    size_t pos_ = 0;
    int64_t fileOffset_ = 0;
    int64_t shownOffset_ = 0;
};

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

ShownTextConverter::Format ShownTextConverter::formatOf(std::string_view firstBytes) {
    if (firstBytes.substr(0, 4) == "\xFFWPC") return Format::WordPerfect;
    if (firstBytes.substr(0, 2) == "\xD0\xCF") return Format::D0CF;
    return Format::Plain;
}

void ShownTextConverter::convert(std::string_view bytes, std::string& out) {
    const auto& stripped = strippedBytes();
    const size_t old = out.size();
    // Room for the most this can make: a line feed after every byte, or a
    // CR LF for a pair whose first CC came with the bytes before.
    const size_t most = format_ == Format::D0CF          ? 2 * bytes.size()
                        : format_ == Format::WordPerfect ? bytes.size() + 1
                                                         : bytes.size();
    out.resize(old + most);
    char* to = out.data() + old;
    for (const char c : bytes) {
        const auto u = static_cast<unsigned char>(c);
        if (format_ == Format::WordPerfect) {
            if (u == 0xCC) {
                // Pairs are taken from the start of a run; a lone CC is stripped.
                if (pendingPair_) {
                    *to++ = '\r';
                    *to++ = '\n';
                }
                pendingPair_ = !pendingPair_;
                continue;
            }
            pendingPair_ = false;
            if (u == 0x80 || u == 0xCF) {
                *to++ = ' ';
                continue;
            }
        }
        if (stripped[u]) continue;
        *to++ = c;
        if (format_ == Format::D0CF && c == '\r') *to++ = '\n';
    }
    out.resize(size_t(to - out.data()));
}

BinaryShownText::BinaryShownText(std::shared_ptr<const FileText> file)
    : file_(std::move(file)),
      stretch_(std::max(MinStretch, fileBytesShown(*file_) / MaxCheckpoints + 1)) {
    char first[4] = {};
    const size_t n = file_->readAt(0, first, sizeof first);
    format_ = ShownTextConverter::formatOf(std::string_view(first, n));
}

void BinaryShownText::addCheckpoint(const Checkpoint& checkpoint) const {
    std::lock_guard lock(mutex_);
    if (checkpoint.fileOffset > checkpoints_.back().fileOffset) checkpoints_.push_back(checkpoint);
}

BinaryShownText::Checkpoint BinaryShownText::checkpointBefore(int64_t shownOffset) const {
    std::lock_guard lock(mutex_);
    const auto after =
        std::upper_bound(checkpoints_.begin(), checkpoints_.end(), shownOffset,
                         [](int64_t o, const Checkpoint& c) { return o < c.shownOffset; });
    return *std::prev(after == checkpoints_.begin() ? std::next(after) : after);
}

size_t BinaryShownText::readAt(int64_t offset, char* into, size_t size) const {
    if (offset < 0 || size == 0) return 0;
    const Checkpoint from = checkpointBefore(offset);
    ShownTextConverter converter(format_, from.pendingPair);
    std::string raw(size_t(stretch_), '\0');
    std::string shown;
    int64_t fileOffset = from.fileOffset;
    int64_t shownOffset = from.shownOffset;
    size_t total = 0;
    while (total < size) {
        const size_t n = file_->readAt(fileOffset, raw.data(), raw.size());
        if (n == 0) break;
        fileOffset += int64_t(n);
        shown.clear();
        converter.convert(std::string_view(raw.data(), n), shown);
        // The part of this stretch at or after `offset + total`.
        const int64_t want = offset + int64_t(total);
        const int64_t skip = want - shownOffset;
        shownOffset += int64_t(shown.size());
        if (skip >= int64_t(shown.size())) continue;
        const size_t take = std::min(size - total, shown.size() - size_t(skip));
        std::copy_n(shown.data() + skip, take, into + total);
        total += take;
    }
    return total;
}

std::unique_ptr<engine::ByteSource> BinaryShownText::readFromStart(Pass pass) const {
    return std::make_unique<ShownFromStart>(*this, *file_, format_, pass == Pass::Index);
}

} // namespace ferrolux
