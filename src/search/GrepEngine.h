#pragma once

#include "engine/Searcher.h"

#include <atomic>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace ferrolux {

namespace engine {
class CompiledPattern;
enum class PatternUse;
} // namespace engine

// Engine flags: 0 is false, -1 is true. The case flag is -1 for a
// case-sensitive search.
constexpr int GrepFalse = 0;
constexpr int GrepTrue = -1;

// Stands in for the engine's state block: the compiled pattern and the bounds
// of the last match found by RGrep.
struct RGrepState {
    std::shared_ptr<const engine::CompiledPattern> pattern;
    const char* matchStart = nullptr; // first matched character
    const char* matchEnd = nullptr;   // just past the last matched character
    std::string error;                // why CompileRGrep rejected the pattern
    // The line (between CR/LF) last found to satisfy the other '&'
    // conditions, so that many matches on one long line check it once.
    const char* checkedLineStart = nullptr;
    const char* checkedLineEnd = nullptr;
};

// The grep engine's specified calls: the in-memory interface (CompileRGrep,
// RGrep) for binary files and the line-oriented file interface
// (SCompileRGrep .. SFileClose) for text files, a thin layer over the typed
// engine (engine::Searcher). Each object holds one file search, so two
// callers that each own an engine can never disturb each other.
class GrepEngine {
public:
    GrepEngine();
    ~GrepEngine();
    GrepEngine(const GrepEngine&) = delete;
    GrepEngine& operator=(const GrepEngine&) = delete;

    // 0 when the pattern (UTF-8) is accepted; otherwise non-zero and
    // state.error tells why.
    int CompileRGrep(std::string_view pattern, int caseFlag, RGrepState& state) const;

    // Leftmost match in text, searching from `from` (a pointer into text;
    // text.data() on the first call, the end of the previous match after
    // that). The text before `from` is context for ^ and word starts.
    // 1 = a match was found and state holds its bounds, 0 = none. An empty
    // match at the end of the previous one is stepped over, so loops end.
    // A caller that puts new text into the same memory clears the state's
    // match and checked-line pointers first.
    int RGrep(std::string_view text, const char* from, RGrepState& state) const;
    // Same, reporting only matches that start at or before `limit` (a
    // pointer into text); the text after it is context only.
    int RGrep(std::string_view text, const char* from, const char* limit, RGrepState& state) const;

    // Compiles the pattern into this engine's file search. 0 = accepted;
    // otherwise lastError() tells why and the file search finds nothing.
    int SCompileRGrep(std::string_view pattern, int caseFlag);

    // Flag 3 set: SFileRGrep delivers each matching line as its 1-based
    // number, ":", its text and CR LF. Flag 4 set: only count; SFileRGrep
    // then returns no lines and SFileClose the number of matching lines.
    void SFileSetFlags(int flag1, int flag2, int flag3, int flag4, int flag5, int flag6);

    // Opens a file for the file search. 0 = opened; an unreadable file or one
    // that is not a regular file yields no lines.
    int SFileOpen(const std::string& path);
    // Same, for a regular file the caller has opened already; the engine
    // takes ownership of the descriptor and reads from offset 0.
    int SFileOpenDescriptor(int fd);

    // The next matching line, or nothing at the end of the file (or when the
    // cancel flag was raised). The view stays valid until the next call.
    std::optional<std::string_view> SFileRGrep();

    // Number of matching lines found since SFileOpen; ends the file search.
    int64_t SFileClose();

    // Checked between chunks of a file; when it becomes true the file search
    // ends early. Pass nullptr to remove it.
    void setCancelFlag(const std::atomic<bool>* canceled);

    const std::string& lastError() const;

    // The typed engine underneath, with the buffers reused from file to file.
    engine::Searcher& searcher() { return searcher_; }
    engine::ReadBuffer& scanBuffer() { return searcher_.scanBuffer(); }

    // Buffer sizes of the file search (tests use small ones).
    void setLimits(const GrepLimits& limits) { searcher_.setLimits(limits); }

private:
    int startFileSearch(int fd);
    static std::shared_ptr<const engine::CompiledPattern>
    compileCached(std::string_view pattern, bool caseSensitive, engine::PatternUse use,
                  std::shared_ptr<const engine::CompiledPattern>& cache, std::string& error);

    // The last patterns compiled; compiled patterns never change, so they
    // can be shared by every state that holds them.
    mutable std::shared_ptr<const engine::CompiledPattern> memoryPattern_;
    std::shared_ptr<const engine::CompiledPattern> linePattern_;
    std::shared_ptr<const engine::CompiledPattern> filePattern_;
    engine::Searcher searcher_;
    std::unique_ptr<engine::LineSearch> fileSearch_;
    bool countOnly_ = false;
    bool numbered_ = false;
    std::string line_;
    std::string lastError_;
    const std::atomic<bool>* canceled_ = nullptr;
};

} // namespace ferrolux
