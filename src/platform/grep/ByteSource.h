#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace ferrolux::grep {

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

// Opens a path for reading without blocking on FIFOs and devices: -1 unless
// it is (or links to) a regular file. The descriptor is blocking again.
int openRegularFile(const std::string& path);
// Whether an open descriptor refers to a regular file.
bool isRegularFile(int fd);

} // namespace ferrolux::grep
