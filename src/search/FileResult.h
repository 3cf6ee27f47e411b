#pragma once

#include <QString>
#include <cstdint>
#include <string>
#include <vector>

namespace ferrolux {

// One row of the file list. Paths are bytes, as the file system has them.
struct FileResult {
    std::string FileName;      // the file's name without directory
    std::string Directory;     // ends in "/"; for an archive member: the archive's full path
    int64_t Matches = 0;       // at least 1
    QString Type;              // "T" text, "B" binary
    int64_t Size = 0;          // bytes
    QString DateTime;          // last-write time, formatted with DateDisplayFormat
    std::string ExtractedPath; // the extracted copy of an archive member, else empty
    int64_t ModifiedTime = 0;  // last-write time in seconds since the epoch, kept for sorting

    // The file the row stands for: the extracted copy, else Directory + FileName.
    std::string fullPath() const {
        return ExtractedPath.empty() ? Directory + FileName : ExtractedPath;
    }
};

// Where a match lies in a listed line's text, in bytes.
struct MatchSpan {
    uint32_t start = 0;
    uint32_t end = 0;
    bool operator==(const MatchSpan&) const = default;
};

// One row of the match list: a text line with its number, or a snippet
// around a match in a binary file (LineNumber empty).
struct MatchLine {
    std::string LineNumber;
    std::string Text; // raw bytes of the line or snippet
    // A very long line keeps only the part from a little before its first
    // match: the line goes on before Text (CutBefore) or after it (Truncated).
    bool CutBefore = false;
    bool Truncated = false;
    // The matches in Text, in order; matches that touch are joined.
    std::vector<MatchSpan> Spans{};
};

} // namespace ferrolux
