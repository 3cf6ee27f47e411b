#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace ferrolux {

// Whether a file name fits a mask: "*" any run of characters, "?" one
// character, letters without regard to case (one character at a time). As
// users of "*.*" expect, a mask ending in ".*" also fits names without any
// dot, and so does one ending in "." ("*." fits every name without an
// extension). An empty mask fits nothing.
bool fitsFileMask(std::string_view name, std::string_view mask);

// A mask in upper case, one character at a time and only where the capital
// stands for the same letter: "straße" gives "STRAßE", not "STRASSE", and the
// dotless "ı" stays (its capital "I" is the dotted i's).
std::string upperCaseMask(std::string_view mask);

// The masks of a comma-separated list (" .git , build* "), each trimmed of
// blanks and control characters; empty items are left out.
std::vector<std::string> maskList(std::string_view list);

// Whether a name ends in an ASCII extension such as ".zip", in any letter
// case. Only ASCII letters fold: "notes.zıp" (dotless i) is no archive.
bool hasFileExtension(std::string_view name, std::string_view extension);

} // namespace ferrolux
