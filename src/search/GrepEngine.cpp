#include "search/GrepEngine.h"

#include "engine/MemoryMatches.h"
#include "platform/posix/OpenPath.h"
#include "search/TextDecoding.h"

#include <unistd.h>

namespace ferrolux {

GrepEngine::GrepEngine() = default;
GrepEngine::~GrepEngine() = default;

// A search compiles the same pattern for every file: keep the last one.
std::shared_ptr<const engine::CompiledPattern>
GrepEngine::compileCached(std::string_view pattern, bool caseSensitive, engine::PatternUse use,
                          std::shared_ptr<const engine::CompiledPattern>& cache,
                          std::string& error) {
    if (cache && cache->sameAs(pattern, caseSensitive, use)) return cache;
    auto compiled = engine::CompiledPattern::compile(pattern, caseSensitive, use, error);
    if (compiled) cache = compiled;
    return compiled;
}

int GrepEngine::CompileRGrep(std::string_view pattern, int caseFlag, RGrepState& state) const {
    state.matchStart = state.matchEnd = nullptr;
    state.checkedLineStart = state.checkedLineEnd = nullptr;
    state.error.clear();
    state.pattern = compileCached(pattern, caseFlag != GrepFalse, engine::PatternUse::InMemory,
                                  memoryPattern_, state.error);
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
    // The remembered line is only good for the same text.
    engine::Span checked;
    if (state.checkedLineStart && state.checkedLineStart >= begin && state.checkedLineEnd <= end)
        checked = {static_cast<size_t>(state.checkedLineStart - begin),
                   static_cast<size_t>(state.checkedLineEnd - begin)};
    const bool afterEmpty = from == state.matchEnd && state.matchStart == state.matchEnd;
    const auto match =
        engine::findMatchFrom(*state.pattern, text, static_cast<size_t>(from - begin),
                              static_cast<size_t>(limit - begin), afterEmpty, &checked);
    if (checked.end > checked.start) {
        state.checkedLineStart = begin + checked.start;
        state.checkedLineEnd = begin + checked.end;
    }
    if (!match) return 0;
    state.matchStart = begin + match->start;
    state.matchEnd = begin + match->end;
    return 1;
}

int GrepEngine::SCompileRGrep(std::string_view pattern, int caseFlag) {
    lastError_.clear();
    filePattern_ = compileCached(pattern, caseFlag != GrepFalse, engine::PatternUse::Lines,
                                 linePattern_, lastError_);
    return filePattern_ ? 0 : 1;
}

void GrepEngine::SFileSetFlags(int, int, int flag3, int flag4, int, int) {
    numbered_ = flag3 != GrepFalse;
    countOnly_ = flag4 != GrepFalse;
}

int GrepEngine::SFileOpen(const std::string& path) {
    fileSearch_.reset();
    return startFileSearch(openRegularFile(path));
}

int GrepEngine::SFileOpenDescriptor(int fd) {
    fileSearch_.reset();
    if (fd >= 0 && !engine::isRegularFile(fd)) {
        ::close(fd);
        fd = -1;
    }
    return startFileSearch(fd);
}

int GrepEngine::startFileSearch(int fd) {
    if (fd < 0) return -1;
    // Text in UTF-16 is searched as the UTF-8 it decodes to, as counting does.
    std::unique_ptr<engine::ByteSource> source = textSourceOf(fd);
    // Without an accepted pattern the file is closed at once and yields nothing.
    if (filePattern_)
        fileSearch_ = std::make_unique<engine::LineSearch>(
            filePattern_, std::move(source), searcher_.lineBuffer(), searcher_.limits(), canceled_);
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

int64_t GrepEngine::SFileClose() {
    const int64_t count = fileSearch_ ? fileSearch_->count() : 0;
    fileSearch_.reset();
    searcher_.trimBuffers();
    return count;
}

void GrepEngine::setCancelFlag(const std::atomic<bool>* canceled) {
    canceled_ = canceled;
}

const std::string& GrepEngine::lastError() const {
    return lastError_;
}

} // namespace ferrolux
