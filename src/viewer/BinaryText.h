#pragma once

#include "viewer/ViewerText.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ferrolux {

// The 157 byte codes removed from a binary file before the viewer shows it:
// the control characters of ControlStripSet() followed by 127 to 255.
const std::string& ViewerStripSet();

// Makes the shown text of a binary file from its bytes, a piece at a time:
// two word-processor formats get their line breaks (a document starting
// with FF "WPC" gets blanks for 80 and CF and a CR LF for each CC CC pair,
// one starting with D0 CF a line feed after every carriage return), then
// every byte of ViewerStripSet() is removed.
class ShownTextConverter {
public:
    enum class Format { Plain, WordPerfect, D0CF };

    // The format that the first bytes of a file announce.
    static Format formatOf(std::string_view firstBytes);

    explicit ShownTextConverter(Format format, bool pendingPair = false)
        : format_(format), pendingPair_(pendingPair) {}

    // Appends the shown text of the next bytes of the file to `out`.
    void convert(std::string_view bytes, std::string& out);
    // A CC waits for a second one to make a pair (WordPerfect only).
    bool pendingPair() const { return pendingPair_; }

private:
    Format format_;
    bool pendingPair_;
};

// The shown text of a binary file: the converted text of its first `limit`
// bytes. It is made again from the file wherever it is read; the index
// pass notes where each stretch of the file starts in the shown text, so
// that a read converts at most one stretch before what it wants.
class BinaryShownText : public ViewerText {
public:
    explicit BinaryShownText(std::shared_ptr<const FileText> file);

    size_t readAt(int64_t offset, char* into, size_t size) const override;
    std::unique_ptr<engine::ByteSource> readFromStart(Pass pass) const override;

    struct Checkpoint {
        int64_t fileOffset = 0;
        int64_t shownOffset = 0;
        bool pendingPair = false;
    };
    // Bytes of the file between two checkpoints.
    int64_t stretch() const { return stretch_; }
    void addCheckpoint(const Checkpoint& checkpoint) const;

private:
    Checkpoint checkpointBefore(int64_t shownOffset) const;

    std::shared_ptr<const FileText> file_;
    ShownTextConverter::Format format_;
    int64_t stretch_;
    mutable std::mutex mutex_;
    mutable std::vector<Checkpoint> checkpoints_{Checkpoint{}};
};

} // namespace ferrolux
