#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace ferrolux {

// A row is what the viewer draws as one line when word wrap is off: the text
// between two line breaks (LF, CR LF or a lone CR), or a piece of at most
// MaxRowCharacters characters of a longer line, marked where it was cut.
// The viewer lays a row out in pieces and draws only what is in sight; a
// row this long takes some 20 ms to lay out to its end in plain text and
// about 0.2 s in mixed CJK text drawn from a fallback font
// (bench/viewer-long-lines.sh). A UTF-8 sequence is one character (any
// other byte one too, though one of 80 to BF counts as none: at most four
// bytes a character), and a line is cut before the lead byte of a character.
constexpr size_t MaxRowCharacters = 100000;

// One row: its text is [start, end); the next row starts at next (after the
// line break, if any). line is the 0-based line that holds it, counted the
// way the grep engine counts lines: at line feeds only.
struct RowSpan {
    int64_t start = 0;
    int64_t end = 0;
    int64_t next = 0;
    int64_t line = 0;

    bool endsLine() const { return next > end; }
    bool operator==(const RowSpan&) const = default;
};

// Where a scan stands: the start of the next row and the line that holds it.
struct RowCursor {
    int64_t offset = 0;
    int64_t line = 0;
};

// Scans the rows of `bytes`, which begin at the row start `at` (its text
// offset and line). Calls visit(row) for each complete row until it returns
// false; a row is complete when the bytes show where it ends, or when
// atEnd says that the text ends with them. The last row of a text is
// always reported at its end, empty after a final line break. Returns where
// the scan stopped: the start of the first row not reported.
template <class Visit>
RowCursor scanRows(std::string_view bytes, RowCursor at, bool atEnd, Visit&& visit);

// The end of the row starting at bytes[0]: where its line break starts or
// where it is cut. Sets breakLength (0 for a cut or the text's end) and
// complete (false when more bytes are needed to tell).
size_t rowEndIn(std::string_view bytes, bool atEnd, size_t& breakLength, bool& complete);

template <class Visit>
RowCursor scanRows(std::string_view bytes, RowCursor at, bool atEnd, Visit&& visit) {
    size_t pos = 0;
    while (true) {
        size_t breakLength = 0;
        bool complete = false;
        const std::string_view rest = bytes.substr(pos);
        const size_t end = rowEndIn(rest, atEnd, breakLength, complete);
        if (!complete) return at;
        const bool last = atEnd && breakLength == 0 && end == rest.size();
        const RowSpan row{at.offset, at.offset + int64_t(end),
                          at.offset + int64_t(end + breakLength), at.line};
        const bool lineFeed = breakLength > 0 && rest[end + breakLength - 1] == '\n';
        pos += end + breakLength;
        at = {row.next, at.line + (lineFeed ? 1 : 0)};
        if (!visit(row) || last) return at;
    }
}

} // namespace ferrolux
