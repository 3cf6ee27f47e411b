#include "viewer/Utf16Text.h"

#include <algorithm>
#include <optional>
#include <string>
#include <string_view>

namespace ferrolux {
namespace {

constexpr size_t SkipBlock = size_t(64) << 10;

// The decoded text from its start, for the index pass: it stops at the end
// of each stretch (a byte at a time, should a character go on past it)
// and leaves a checkpoint there.
class DecodedFromStart : public engine::ByteSource {
public:
    DecodedFromStart(const Utf16Text& text, std::unique_ptr<Utf16Source> decoder)
        : text_(text), decoder_(std::move(decoder)), wanted_(text.nextCheckpointWanted()) {}

    size_t read(char* into, size_t size) override {
        size_t total = 0;
        while (total < size) {
            const int64_t toWanted = std::max<int64_t>(wanted_ - decoded_, 1);
            const size_t piece = size_t(std::min<int64_t>(int64_t(size - total), toWanted));
            const size_t n = decoder_->read(into + total, piece);
            if (n == 0) break;
            total += n;
            decoded_ += int64_t(n);
            if (decoded_ >= wanted_) noteCheckpoint();
        }
        return total;
    }

private:
    void noteCheckpoint() {
        if (const std::optional<int64_t> fileOffset = decoder_->resumeOffset())
            wanted_ = text_.addCheckpoint({decoded_, *fileOffset});
    }

    const Utf16Text& text_;
    std::unique_ptr<Utf16Source> decoder_;
    int64_t decoded_ = 0;
    int64_t wanted_;
};

// Reads and drops `count` bytes; false when the text ends first.
bool skip(engine::ByteSource& source, int64_t count) {
    std::string dropped(size_t(std::min<int64_t>(count, int64_t(SkipBlock))), '\0');
    while (count > 0) {
        const size_t n = source.read(dropped.data(), size_t(std::min<int64_t>(count, SkipBlock)));
        if (n == 0) return false;
        count -= int64_t(n);
    }
    return true;
}

} // namespace

Utf16Text::Utf16Text(std::shared_ptr<const FileText> file, Utf16Order order,
                     CheckpointSpacing spacing)
    : file_(std::move(file)), order_(order),
      maxCheckpoints_(std::max<size_t>(spacing.maxCheckpoints, 2)),
      stretch_(std::max<int64_t>(spacing.stretch, 1)) {}

size_t Utf16Text::readAt(int64_t offset, char* into, size_t size) const {
    if (offset < 0 || size == 0) return 0;
    const Checkpoint from = checkpointBefore(offset);
    const std::unique_ptr<Utf16Source> decoder = decoderFrom(from);
    if (!skip(*decoder, offset - from.textOffset)) return 0;
    size_t total = 0;
    while (total < size) {
        const size_t n = decoder->read(into + total, size - total);
        if (n == 0) break;
        total += n;
    }
    return total;
}

std::unique_ptr<engine::ByteSource> Utf16Text::readFromStart(Pass pass) const {
    std::unique_ptr<Utf16Source> decoder = decoderFrom(Checkpoint{});
    if (pass == Pass::Search) return decoder;
    return std::make_unique<DecodedFromStart>(*this, std::move(decoder));
}

int64_t Utf16Text::addCheckpoint(const Checkpoint& checkpoint) const {
    std::lock_guard lock(mutex_);
    const auto wanted = [&] { return checkpoints_.back().textOffset + stretch_; };
    if (checkpoint.textOffset >= wanted()) {
        if (checkpoints_.size() >= maxCheckpoints_) thinCheckpoints();
        if (checkpoint.textOffset >= wanted()) checkpoints_.push_back(checkpoint);
    }
    return wanted();
}

int64_t Utf16Text::nextCheckpointWanted() const {
    std::lock_guard lock(mutex_);
    return checkpoints_.back().textOffset + stretch_;
}

size_t Utf16Text::checkpointCount() const {
    std::lock_guard lock(mutex_);
    return checkpoints_.size();
}

// Keeps checkpoints 0, 2, 4, ...; called with the lock held.
void Utf16Text::thinCheckpoints() const {
    size_t kept = 0;
    for (size_t i = 0; i < checkpoints_.size(); i += 2)
        checkpoints_[kept++] = checkpoints_[i];
    checkpoints_.resize(kept);
    stretch_ *= 2;
}

Utf16Text::Checkpoint Utf16Text::checkpointBefore(int64_t textOffset) const {
    std::lock_guard lock(mutex_);
    const auto after =
        std::upper_bound(checkpoints_.begin(), checkpoints_.end(), textOffset,
                         [](int64_t o, const Checkpoint& c) { return o < c.textOffset; });
    return *std::prev(after);
}

// The first checkpoint is the file's start, where the mark is still to come.
std::unique_ptr<Utf16Source> Utf16Text::decoderFrom(const Checkpoint& checkpoint) const {
    return std::make_unique<Utf16Source>(file_->readFrom(checkpoint.fileOffset), order_,
                                         checkpoint.fileOffset > 0);
}

std::shared_ptr<const ViewerText> textFileText(UniqueFd fd) {
    auto file = std::make_shared<const FileText>(std::move(fd));
    char mark[4];
    const Utf16Order order =
        utf16OrderOf(std::string_view(mark, file->readAt(0, mark, sizeof mark)));
    if (order == Utf16Order::None) return file;
    return std::make_shared<const Utf16Text>(std::move(file), order);
}

} // namespace ferrolux
