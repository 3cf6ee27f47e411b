#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace ferrolux {

// What the command line asks for. Pattern and directory stay bytes.
struct CliOptions {
    std::string pattern;
    std::string directory = ".";
    std::string fileSpecs = "*.*";
    std::vector<std::string> skipDirs; // folder masks; none given: the stored preference
    bool recursive = false;
    bool caseSensitive = false;
    bool wholeWords = false;
    bool literal = false;
    bool textOnly = false;
    bool binaryOnly = false;
    bool listLines = false;
    bool verbose = false;
    bool searchZipFiles = false;
    bool searchArchives = false; // tar, 7z and RAR too; only beside searchZipFiles
    std::optional<int32_t> maxMatches;
    std::optional<int32_t> maxMatchLen;
    int threads = 0; // files searched at once; 0: one per core
    bool showHelp = false;
    bool showVersion = false;
};

struct CliParse {
    CliOptions options;
    std::string error; // empty when the arguments were understood
};

CliParse parseCommandLine(const std::vector<std::string>& arguments);

// Why DIRECTORY cannot be searched ("PATH: No such file or directory", the
// path escaped for one line), or empty when it is a directory.
std::string startDirectoryProblem(const std::string& directory);

extern const char* const kCliUsage;

} // namespace ferrolux
