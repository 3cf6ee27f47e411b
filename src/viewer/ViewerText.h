#pragma once

#include "engine/ByteSource.h"
#include "platform/posix/UniqueFd.h"

#include <cstdint>
#include <memory>
#include <string>

namespace ferrolux {

// The text a viewer shows, as bytes: read anywhere for painting, and read
// from its start in one pass for indexing and for finding the matches. A
// text file is shown as its bytes; a binary file as a text derived from its
// bytes. Any other derivation (a decoded UTF-16 file, say) fits behind the
// same interface.
class ViewerText {
public:
    enum class Pass { Index, Search };

    virtual ~ViewerText() = default;
    // Up to `size` bytes of the text from `offset`; fewer at its end.
    // Safe to call while passes run on other threads.
    virtual size_t readAt(int64_t offset, char* into, size_t size) const = 0;
    // The text from its start. The index pass may keep notes that make
    // readAt faster; there is one index pass per text.
    virtual std::unique_ptr<engine::ByteSource> readFromStart(Pass pass) const = 0;
};

// The bytes of an open file, at most `limit` of them when limit >= 0. It is
// read with pread, never mapped: a mapped file that another program
// truncates kills the reader. A file that shrinks reads short.
class FileText : public ViewerText {
public:
    explicit FileText(UniqueFd fd, int64_t limit = -1);

    int fd() const { return fd_.get(); }
    int64_t limit() const { return limit_; }
    size_t readAt(int64_t offset, char* into, size_t size) const override;
    std::unique_ptr<engine::ByteSource> readFromStart(Pass pass) const override;
    // The bytes from an offset on, in order.
    std::unique_ptr<engine::ByteSource> readFrom(int64_t offset) const;

private:
    UniqueFd fd_;
    int64_t limit_;
};

// A text held in memory: what the viewer shows when a file cannot be read.
class MemoryText : public ViewerText {
public:
    explicit MemoryText(std::string text) : text_(std::move(text)) {}

    size_t readAt(int64_t offset, char* into, size_t size) const override;
    std::unique_ptr<engine::ByteSource> readFromStart(Pass pass) const override;

private:
    std::string text_;
};

} // namespace ferrolux
