#include "EngineProbes.h"

#include <gtest/gtest.h>

namespace ferrolux::test {

Matches matchesOf(const std::string& pattern, const std::string& text, bool caseSensitive) {
    GrepEngine engine;
    RGrepState state;
    EXPECT_EQ(engine.CompileRGrep(pattern, caseSensitive ? GrepTrue : GrepFalse, state), 0)
        << pattern << ": " << state.error;
    Matches out;
    const char* from = text.data();
    while (out.size() <= text.size() && engine.RGrep(text, from, state)) {
        out.emplace_back(state.matchStart - text.data(), state.matchEnd - text.data());
        from = state.matchEnd;
    }
    return out;
}

int64_t countLines(GrepEngine& engine, const std::string& path, const std::string& pattern,
                   int caseFlag) {
    engine.SCompileRGrep(pattern, caseFlag);
    engine.SFileSetFlags(0, 0, 0, -1, 0, -1);
    engine.SFileOpen(path);
    while (engine.SFileRGrep()) {
    }
    return engine.SFileClose();
}

} // namespace ferrolux::test
