#include "CliOptions.h"

#include "platform/posix/OpenPath.h"
#include "platform/posix/UniqueFd.h"
#include "search/OutputEscaping.h"

#include <cerrno>
#include <charconv>
#include <cstring>
#include <fcntl.h>
#include <functional>
#include <map>

namespace ferrolux {

const char* const kCliUsage =
    R"(Usage: ferrolux-search [OPTION]... PATTERN [DIRECTORY]
Search the files of DIRECTORY (default: the current directory) for PATTERN and
print one line per file with matches: name, directory, matches, type (T text,
B binary), size and date/time, separated by tabs.

  --files SPECS        comma-separated file specifications (default "*.*")
  -r, --recursive      include subdirectories
      --skip-dir MASK  do not enter folders whose names fit MASK (for example
                       .git or build*); may be given more than once (default:
                       the preference "Folders to skip")
      --case-sensitive match letter case exactly
  -w, --word-regexp    match whole words only
  -F, --fixed-strings  take PATTERN literally (no regular expressions)
      --text           search text files only
      --binary         search binary files only
  -z, --zip            search inside Zip archives too
      --archives       with -z, also inside tar (.tar, .tar.gz, .tgz, .tar.bz2,
                       .tar.xz), 7z and RAR archives
      --lines          after each file, its matching lines (tab, line number,
                       tab, text); snippets for binary files
      --max-matches N  list at most N lines per file, 1 to 5000 (default:
                       preferences)
      --max-match-len N  longest match counted in a binary file, 1 to 2000
                       (default: preferences)
      --verbose        tell on stderr about files that cannot be read
  -j, --threads N      search N files at once (default: one per core); the
                       output is the same with any number
  -h, --help           show this help
      --version        show the version

The summary goes to stderr. Exit status: 0 when a match was found, 1 when
none was, 2 when the request was refused.
)";

namespace {

using Flag = bool CliOptions::*;

constexpr int32_t kMaxThreads = 1024;

const std::map<std::string, Flag>& longFlags() {
    static const std::map<std::string, Flag> flags = {
        {"recursive", &CliOptions::recursive},    {"case-sensitive", &CliOptions::caseSensitive},
        {"word-regexp", &CliOptions::wholeWords}, {"fixed-strings", &CliOptions::literal},
        {"text", &CliOptions::textOnly},          {"binary", &CliOptions::binaryOnly},
        {"zip", &CliOptions::searchZipFiles},     {"archives", &CliOptions::searchArchives},
        {"lines", &CliOptions::listLines},        {"verbose", &CliOptions::verbose},
        {"help", &CliOptions::showHelp},          {"version", &CliOptions::showVersion},
    };
    return flags;
}

const std::map<char, Flag>& shortFlags() {
    static const std::map<char, Flag> flags = {
        {'r', &CliOptions::recursive}, {'w', &CliOptions::wholeWords},
        {'F', &CliOptions::literal},   {'z', &CliOptions::searchZipFiles},
        {'h', &CliOptions::showHelp},
    };
    return flags;
}

std::optional<int32_t> parseCount(const std::string& text) {
    int32_t value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

class Parser {
public:
    explicit Parser(const std::vector<std::string>& arguments) : args_(arguments) {}

    CliParse run() {
        std::vector<std::string> positional;
        bool optionsEnded = false;
        for (index_ = 0; index_ < args_.size() && result_.error.empty(); ++index_) {
            const std::string& arg = args_[index_];
            if (optionsEnded || arg.size() < 2 || arg[0] != '-')
                positional.push_back(arg);
            else if (arg == "--")
                optionsEnded = true;
            else if (arg[1] == '-')
                longOption(arg.substr(2));
            else
                shortOptions(arg.substr(1));
        }
        takePositional(positional);
        return result_;
    }

private:
    void longOption(std::string name) {
        std::optional<std::string> inlineValue;
        if (const auto eq = name.find('='); eq != std::string::npos) {
            inlineValue = name.substr(eq + 1);
            name.resize(eq);
        }
        if (const auto flag = longFlags().find(name); flag != longFlags().end()) {
            if (inlineValue) return fail("option --" + name + " takes no value");
            result_.options.*(flag->second) = true;
        } else if (name == "files") {
            if (auto v = value(name, inlineValue)) result_.options.fileSpecs = *v;
        } else if (name == "skip-dir") {
            if (auto v = value(name, inlineValue)) result_.options.skipDirs.push_back(*v);
        } else if (name == "max-matches" || name == "max-match-len") {
            countOption(name, inlineValue);
        } else if (name == "threads") {
            threadsOption(value(name, inlineValue));
        } else {
            fail("unknown option --" + name);
        }
    }

    // The preferences' ranges: 1..5000 listed lines, matches of 1..2000 characters.
    void countOption(const std::string& name, const std::optional<std::string>& inlineValue) {
        const std::optional<std::string> text = value(name, inlineValue);
        if (!text) return;
        const bool lines = name == "max-matches";
        const int32_t most = lines ? 5000 : 2000;
        const std::optional<int32_t> count = parseCount(*text);
        if (!count) return fail("--" + name + " needs a number, not \"" + *text + "\"");
        if (*count < 1 || *count > most)
            return fail("--" + name + " must be between 1 and " + std::to_string(most) + ", not " +
                        *text);
        (lines ? result_.options.maxMatches : result_.options.maxMatchLen) = count;
    }

    void threadsOption(const std::optional<std::string>& text) {
        if (!text) return;
        const std::optional<int32_t> count = parseCount(*text);
        if (!count || *count < 1 || *count > kMaxThreads)
            return fail("--threads needs a number from 1 to " + std::to_string(kMaxThreads) +
                        ", not \"" + *text + "\"");
        result_.options.threads = *count;
    }

    void shortOptions(const std::string& letters) {
        for (size_t i = 0; i < letters.size(); ++i) {
            const char letter = letters[i];
            if (letter == 'j') // -j N or -jN
                return threadsOption(i + 1 < letters.size()
                                         ? std::optional<std::string>(letters.substr(i + 1))
                                         : value("threads", std::nullopt));
            const auto flag = shortFlags().find(letter);
            if (flag == shortFlags().end()) return fail(std::string("unknown option -") + letter);
            result_.options.*(flag->second) = true;
        }
    }

    std::optional<std::string> value(const std::string& name,
                                     const std::optional<std::string>& inlineValue) {
        if (inlineValue) return inlineValue;
        if (index_ + 1 >= args_.size()) {
            fail("--" + name + " needs a value");
            return std::nullopt;
        }
        return args_[++index_];
    }

    void takePositional(const std::vector<std::string>& positional) {
        if (!result_.error.empty() || result_.options.showHelp || result_.options.showVersion)
            return;
        if (positional.empty() || positional.size() > 2)
            return fail(positional.empty() ? "missing PATTERN" : "too many arguments");
        if (result_.options.searchArchives && !result_.options.searchZipFiles)
            return fail("--archives needs -z (--zip): archives are searched beside Zip files");
        result_.options.pattern = positional[0];
        if (positional.size() == 2) result_.options.directory = positional[1];
    }

    void fail(std::string message) { result_.error = std::move(message); }

    const std::vector<std::string>& args_;
    size_t index_ = 0;
    CliParse result_;
};

} // namespace

CliParse parseCommandLine(const std::vector<std::string>& arguments) {
    return Parser(arguments).run();
}

std::string startDirectoryProblem(const std::string& directory) {
    // O_PATH: a directory the user may not list is still one to walk.
    const UniqueFd opened(openPath(directory, O_PATH | O_DIRECTORY | O_CLOEXEC));
    if (opened) return {};
    return escapeField(directory) + ": " + std::strerror(errno);
}

} // namespace ferrolux
