#pragma once

#include <string>
#include <utility>
#include <vector>

namespace ferrolux::test {

// Writes a Zip archive at path holding the given (name, content) entries;
// a failure fails the running test.
void writeSimpleZip(const std::string& path,
                    const std::vector<std::pair<std::string, std::string>>& entries);

} // namespace ferrolux::test
