#pragma once

#include <string_view>

namespace ferrolux {

// Whether a file name fits a mask: "*" any run of characters, "?" one
// character, letters without regard to case. As users of "*.*" expect, a mask
// ending in ".*" also fits names without any dot. An empty mask fits nothing.
bool fitsFileMask(std::string_view name, std::string_view mask);

// Order of names within a directory: case-insensitive, ties by bytes.
bool caseInsensitiveLess(std::string_view a, std::string_view b);

} // namespace ferrolux
