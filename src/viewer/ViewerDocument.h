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

// The text control lays out a whole line at once, which takes seconds for a
// line of megabytes; longer lines are shown as rows of this many characters.
constexpr qsizetype MaxRowCharacters = 10000;

// A text file as the viewer shows it: the lines of the file, split where the
// grep engine splits them so that its line numbers fall on the same lines.
// A line longer than MaxRowCharacters takes several rows of the control.
struct TextModeDocument {
    QString text;                    // the lines, joined by "\n"
    std::vector<int32_t> lineStarts; // character offset of each line in text

    // Characters from the line's start to its end, rows included.
    int32_t lineLength(size_t line) const;
    // The 0-based line that holds a character offset.
    int32_t lineOf(int32_t offset) const;
};

TextModeDocument textModeDocument(std::string_view bytes);

// Builds the same document a part at a time: every part but the last ends
// with a line feed; the last one also holds what follows the final line feed.
void appendTextLines(TextModeDocument& doc, std::string_view part, bool last);

} // namespace ferrolux
