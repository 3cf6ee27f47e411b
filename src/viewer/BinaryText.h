#pragma once

#include <QString>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ferrolux {

// The 157 byte codes removed from a binary file before the viewer shows it:
// the control characters of ControlStripSet() followed by 127 to 255.
const std::string& ViewerStripSet();

// Gives two word-processor formats their line breaks: a document starting
// with FF "WPC" gets blanks for 80 and CF and a line break for each CC CC;
// one starting with D0 CF gets a line feed after every carriage return.
void convertWordProcessorBreaks(std::string& bytes);

// The text the viewer shows for the bytes of a binary file: the conversions
// above, then every byte of ViewerStripSet() removed.
std::string binaryShownText(std::string bytes);

// The first position at or after `from` where needle occurs in text, a "?"
// in needle standing for any one character.
std::optional<size_t> findWithWildcards(std::string_view text, std::string_view needle,
                                        size_t from);

// The shown text of a binary file as its text control holds it. The control
// keeps a CR LF pair as one line break, and it gets a line break of its own
// after every MaxRowCharacters characters without one (a whole line is laid
// out at once). at() turns an offset in the shown text into one in the control.
class ControlOffsets {
public:
    explicit ControlOffsets(std::string_view shownText);
    int32_t at(size_t textOffset) const;
    QString controlText(std::string_view shownText) const;

private:
    std::vector<size_t> pairStarts_;   // where a CR LF pair starts
    std::vector<size_t> breaksBefore_; // where a row break of our own goes in
};

} // namespace ferrolux
