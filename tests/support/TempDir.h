#pragma once

#include <string>
#include <string_view>

namespace ferrolux::test {

// A fresh directory under the system temporary folder, removed (without
// following links) when the object goes away.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    // The directory's path, ending in "/".
    const std::string& path() const { return path_; }
    // path() + relative
    std::string file(std::string_view relative) const;

    // Writes bytes to a file below the directory, creating its folders.
    std::string write(std::string_view relative, std::string_view bytes) const;
    // Creates a folder below the directory (with its parents).
    std::string mkdir(std::string_view relative) const;

private:
    std::string path_;
};

// Reads a whole file; empty when it cannot be read.
std::string readFile(const std::string& path);

} // namespace ferrolux::test
