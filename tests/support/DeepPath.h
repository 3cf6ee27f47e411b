#pragma once

#include <string>
#include <string_view>

namespace ferrolux::test {

// Creates folders below root (which ends in "/") so that the deepest one's
// path, with its trailing "/", is exactly `length` bytes long, and returns
// that path. Works past the system's path limit.
std::string makeDirectoryOfLength(const std::string& root, size_t length);

// Writes a file at any depth (each folder is entered on its own), creating
// nothing but the file itself. Returns its path.
std::string writeDeepFile(const std::string& path, std::string_view bytes);

} // namespace ferrolux::test
