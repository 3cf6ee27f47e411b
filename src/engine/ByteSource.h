#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace ferrolux::engine {

// Where a search reads its bytes from: a file, or memory in tests.
class ByteSource {
public:
    virtual ~ByteSource() = default;
    // Reads up to `size` bytes; 0 at the end (a read error also ends it).
    virtual size_t read(char* into, size_t size) = 0;
};

// A regular file read with pread from offset 0, whatever the descriptor's own
// offset is. Owns the descriptor when told so.
class FileSource : public ByteSource {
public:
    FileSource(int fd, bool owned) : fd_(fd), owned_(owned) {}
    ~FileSource() override;
    FileSource(const FileSource&) = delete;
    FileSource& operator=(const FileSource&) = delete;

    size_t read(char* into, size_t size) override;

private:
    int fd_;
    bool owned_;
    int64_t offset_ = 0;
};

class MemorySource : public ByteSource {
public:
    explicit MemorySource(std::string data) : data_(std::move(data)) {}
    size_t read(char* into, size_t size) override;

private:
    std::string data_;
    size_t pos_ = 0;
};

// A byte buffer that is not cleared when it is allocated: its bytes are
// always read into before they are looked at. One is reused for many files.
class ReadBuffer {
public:
    char* data() { return data_.get(); }
    const char* data() const { return data_.get(); }
    size_t size() const { return size_; }
    char& operator[](size_t i) { return data_[i]; }
    // Changes the size, keeping the first `keep` bytes.
    void resize(size_t size, size_t keep);

private:
    std::unique_ptr<char[]> data_;
    size_t size_ = 0;
};

// The size of an open file, or -1.
int64_t fileSize(int fd);

// Whether an open descriptor refers to a regular file.
bool isRegularFile(int fd);

} // namespace ferrolux::engine
