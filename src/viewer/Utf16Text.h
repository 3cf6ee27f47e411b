#pragma once

#include "search/TextDecoding.h"
#include "viewer/ViewerText.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

namespace ferrolux {

// How far apart a Utf16Text keeps its checkpoints.
struct CheckpointSpacing {
    int64_t stretch = int64_t(64) << 10;     // decoded bytes between two, at first
    size_t maxCheckpoints = size_t(1) << 16; // at least 2
};

// The text of a file that starts with a UTF-16 byte-order mark, as the
// search reads it: decoded to UTF-8 without the mark. Offsets, rows and
// line numbers are those of the decoded text, so the viewer's lines are the
// match list's. The file is decoded again wherever it is read; the index
// pass notes, every stretch of decoded text, where in the file the decoder
// stood, so that a read decodes at most about one stretch before what it
// wants. The notes stay few: when there would be too many, every other one
// goes and the stretch doubles.
class Utf16Text : public ViewerText {
public:
    Utf16Text(std::shared_ptr<const FileText> file, Utf16Order order,
              CheckpointSpacing spacing = {});

    size_t readAt(int64_t offset, char* into, size_t size) const override;
    std::unique_ptr<engine::ByteSource> readFromStart(Pass pass) const override;

    // Where decoding can start again: the decoded text from textOffset on is
    // what a decoder started at fileOffset (past the mark) gives.
    struct Checkpoint {
        int64_t textOffset = 0;
        int64_t fileOffset = 0;
    };
    // Keeps a checkpoint when it is a stretch past the last one; returns the
    // decoded offset from which the next one is wanted.
    int64_t addCheckpoint(const Checkpoint& checkpoint) const;
    int64_t nextCheckpointWanted() const;
    size_t checkpointCount() const;

private:
    Checkpoint checkpointBefore(int64_t textOffset) const;
    void thinCheckpoints() const;
    std::unique_ptr<Utf16Source> decoderFrom(const Checkpoint& checkpoint) const;

    std::shared_ptr<const FileText> file_;
    Utf16Order order_;
    size_t maxCheckpoints_;
    mutable std::mutex mutex_;
    mutable int64_t stretch_;
    mutable std::vector<Checkpoint> checkpoints_{Checkpoint{}};
};

// A text file as the viewer shows it: decoded when it starts with a UTF-16
// byte-order mark, as the search decodes it; else its bytes as they are.
std::shared_ptr<const ViewerText> textFileText(UniqueFd fd);

} // namespace ferrolux
