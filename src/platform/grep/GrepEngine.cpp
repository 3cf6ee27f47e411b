#include "platform/grep/GrepEngine.h"

#include "platform/grep/CompiledPattern.h"

#include <unistd.h>

namespace ferrolux {

GrepEngine::GrepEngine() = default;
GrepEngine::~GrepEngine() = default;

int GrepEngine::CompileRGrep(std::string_view pattern, int caseFlag, RGrepState& state) const {
    state.matchStart = state.matchEnd = nullptr;
    state.error.clear();
    state.pattern = grep::CompiledPattern::compile(pattern, caseFlag != GrepFalse,
                                                   grep::PatternUse::InMemory, state.error);
    return state.pattern ? 0 : 1;
}

int GrepEngine::RGrep(std::string_view text, const char* from, RGrepState& state) const {
    return RGrep(text, from, text.data() + text.size(), state);
}

int GrepEngine::RGrep(std::string_view text, const char* from, const char* limit,
                      RGrepState& state) const {
    const char* begin = text.data();
    const char* end = begin + text.size();
    if (!state.pattern || from < begin || from > end || limit < from || limit > end) return 0;
    size_t pos = static_cast<size_t>(from - begin);
    if (from == state.matchEnd && state.matchStart == state.matchEnd) {
        // The previous match was empty and ended here: move one character
        // on, so that a loop over the matches ends.
        if (from == end) return 0;
        pos += grep::characterLength(begin, text.size(), pos);
        if (begin + pos > limit) return 0;
    }
    const auto match = state.pattern->find(text, pos, static_cast<size_t>(limit - begin));
    if (!match) return 0;
    state.matchStart = begin + match->start;
    state.matchEnd = begin + match->end;
    return 1;
}

int GrepEngine::SCompileRGrep(std::string_view pattern, int caseFlag) {
    lastError_.clear();
    filePattern_ = grep::CompiledPattern::compile(pattern, caseFlag != GrepFalse,
                                                  grep::PatternUse::Lines, lastError_);
    return filePattern_ ? 0 : 1;
}

void GrepEngine::SFileSetFlags(int, int, int flag3, int flag4, int, int) {
    numbered_ = flag3 != GrepFalse;
    countOnly_ = flag4 != GrepFalse;
}

int GrepEngine::SFileOpen(const std::string& path) {
    fileSearch_.reset();
    return startFileSearch(grep::openRegularFile(path));
}

int GrepEngine::SFileOpenDescriptor(int fd) {
    fileSearch_.reset();
    if (fd >= 0 && !grep::isRegularFile(fd)) {
        ::close(fd);
        fd = -1;
    }
    return startFileSearch(fd);
}

int GrepEngine::startFileSearch(int fd) {
    if (fd < 0) return -1;
    auto source = std::make_unique<grep::FileSource>(fd, true);
    // Without an accepted pattern the file is closed at once and yields nothing.
    if (filePattern_)
        fileSearch_ =
            std::make_unique<grep::LineSearch>(filePattern_, std::move(source), limits_, canceled_);
    return 0;
}

std::optional<std::string_view> GrepEngine::SFileRGrep() {
    if (!fileSearch_) return std::nullopt;
    if (countOnly_) {
        fileSearch_->countRemaining();
        return std::nullopt;
    }
    const auto found = fileSearch_->next();
    if (!found) return std::nullopt;
    line_.clear();
    if (numbered_) line_ += std::to_string(found->number) + ":";
    line_.append(found->text);
    line_ += "\r\n";
    return std::string_view(line_);
}

int GrepEngine::SFileClose() {
    const int count = fileSearch_ ? fileSearch_->count() : 0;
    fileSearch_.reset();
    return count;
}

void GrepEngine::setCancelFlag(const std::atomic<bool>* canceled) {
    canceled_ = canceled;
}

const std::string& GrepEngine::lastError() const {
    return lastError_;
}

} // namespace ferrolux
