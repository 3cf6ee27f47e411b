#pragma once

#include <QString>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace ferrolux {

struct FileBytes {
    std::string bytes;
    int error = 0; // errno of a failed open or read; bytes then hold what was read
};

// Reads a regular file in bounded chunks, at most maxBytes of it (all of it
// when maxBytes is negative).
FileBytes readFileBytes(const std::string& path, int64_t maxBytes = -1);

// A text file as the viewer shows it: one line of the control per line of
// the file, split where the grep engine splits them, so that its line
// numbers fall on the same lines.
struct TextModeDocument {
    QString text;                    // the lines, joined by "\n"
    std::vector<int32_t> lineStarts; // character offset of each line in text

    int32_t lineLength(size_t line) const;
};

TextModeDocument textModeDocument(std::string_view bytes);

} // namespace ferrolux
