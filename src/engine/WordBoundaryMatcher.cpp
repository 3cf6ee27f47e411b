#include "engine/WordBoundaryMatcher.h"

#include "engine/CompiledPattern.h"
#include "engine/WordCharacters.h"

#include <algorithm>

namespace ferrolux::engine {

namespace {

// Past this size the per-byte cost of running every thread grows too large
// (a few thousand alternatives between \< and \>).
constexpr size_t MaxInstructions = 8192;
// A thread inside a UTF-8 character waits up to three bytes: four states
// per instruction.
constexpr uint32_t SkipStates = 4;

} // namespace

struct WordBoundaryMatcher::Thread {
    uint32_t pc;
    uint8_t skip; // bytes of the current character still to pass
    size_t start; // where the thread's match began
};

// The threads alive at one position, in priority order, each state at most
// once (the first to reach it has the higher priority and the same future).
class WordBoundaryMatcher::ThreadList {
public:
    void reset(size_t states) {
        if (seen_.size() < states) seen_.assign(states, 0), generation_ = 0;
        if (++generation_ == 0) std::fill(seen_.begin(), seen_.end(), 0), generation_ = 1;
        threads.clear();
    }
    bool mark(uint32_t state) {
        if (seen_[state] == generation_) return false;
        seen_[state] = generation_;
        return true;
    }

    std::vector<Thread> threads;
    std::vector<uint32_t> pending; // the closure's work stack

private:
    std::vector<uint32_t> seen_;
    uint32_t generation_ = 0;
};

bool WordBoundaryMatcher::Set::containsWide(char32_t cp) const {
    const auto after = std::upper_bound(wide.begin(), wide.end(), cp,
                                        [](char32_t c, const CodeRange& r) { return c < r.lo; });
    return after != wide.begin() && cp <= std::prev(after)->hi;
}

WordBoundaryMatcher::~WordBoundaryMatcher() = default;

std::unique_ptr<WordBoundaryMatcher> WordBoundaryMatcher::build(const Alternation& alternatives,
                                                                std::string& error) {
    std::unique_ptr<WordBoundaryMatcher> matcher(new WordBoundaryMatcher);
    matcher->compileAlternatives(alternatives);
    if (matcher->program_.size() > MaxInstructions) {
        error = "The pattern is too complex around \\< or \\>";
        return nullptr;
    }
    return matcher;
}

uint32_t WordBoundaryMatcher::emit(Instruction instruction) {
    program_.push_back(instruction);
    return static_cast<uint32_t>(program_.size() - 1);
}

uint32_t WordBoundaryMatcher::addSet(const CharSet& set) {
    Set compiled;
    for (unsigned b = 0; b < 256; ++b)
        compiled.bytes[b] = set.bytes.test(b);
    compiled.wide = set.wide;
    sets_.push_back(std::move(compiled));
    return static_cast<uint32_t>(sets_.size() - 1);
}

void WordBoundaryMatcher::compileAlternatives(const Alternation& alternatives) {
    std::vector<uint32_t> exits;
    for (size_t i = 0; i < alternatives.size(); ++i) {
        const bool last = i + 1 == alternatives.size();
        const uint32_t split = last ? 0 : emit({Op::Split, {}, uint32_t(program_.size() + 1), 0});
        for (const PatternItem& item : alternatives[i])
            compileItem(item);
        exits.push_back(emit({Op::Jump, {}, 0, 0}));
        if (!last) program_[split].y = static_cast<uint32_t>(program_.size());
    }
    const uint32_t match = emit({Op::Match, {}, 0, 0});
    for (uint32_t exit : exits)
        program_[exit].x = match;
}

void WordBoundaryMatcher::compileItem(const PatternItem& item) {
    using Kind = PatternItem::Kind;
    const auto here = [this] { return static_cast<uint32_t>(program_.size()); };
    if (item.kind == Kind::LineEnd) { // \r?$, taking the CR when there is one
        CharSet cr;
        cr.addByte('\r');
        const uint32_t at = here();
        emit({Op::Split, {}, at + 1, at + 2});
        emit({Op::Chars, {}, addSet(cr), 0});
        emit({Op::Assert, Kind::LineEnd, 0, 0});
        return;
    }
    if (item.kind != Kind::Chars) {
        emit({Op::Assert, item.kind, 0, 0});
        return;
    }
    const uint32_t set = addSet(item.chars);
    const uint32_t at = here();
    switch (item.quantifier) {
    case Quantifier::One:
        emit({Op::Chars, {}, set, 0});
        break;
    case Quantifier::ZeroOrMore:
        emit({Op::Split, {}, at + 1, at + 3});
        emit({Op::Chars, {}, set, 0});
        emit({Op::Jump, {}, at, 0});
        break;
    case Quantifier::OneOrMore:
        emit({Op::Chars, {}, set, 0});
        emit({Op::Split, {}, at, at + 2});
        break;
    case Quantifier::ZeroOrOne:
        emit({Op::Split, {}, at + 1, at + 2});
        emit({Op::Chars, {}, set, 0});
        break;
    }
}

bool WordBoundaryMatcher::holds(PatternItem::Kind assertion, std::string_view text, size_t pos) {
    switch (assertion) {
    case PatternItem::Kind::LineStart:
        return pos == 0 || text[pos - 1] == '\n';
    case PatternItem::Kind::LineEnd:
        return pos == text.size() || text[pos] == '\n';
    case PatternItem::Kind::WordStart:
        return !wordCharacterBefore(text, pos) && wordCharacterAt(text, pos);
    case PatternItem::Kind::WordEnd:
        return wordCharacterBefore(text, pos) && !wordCharacterAt(text, pos);
    case PatternItem::Kind::Chars:
        break;
    }
    return false;
}

// Adds the thread and everything it reaches without consuming a byte, in
// priority order, to the list of position pos.
void WordBoundaryMatcher::follow(ThreadList& list, uint32_t pc, uint8_t skip, size_t start,
                                 size_t pos, std::string_view text) const {
    if (skip > 0) {
        if (list.mark(pc * SkipStates + skip)) list.threads.push_back({pc, skip, start});
        return;
    }
    list.pending.push_back(pc);
    while (!list.pending.empty()) {
        const uint32_t at = list.pending.back();
        list.pending.pop_back();
        if (!list.mark(at * SkipStates)) continue;
        const Instruction& in = program_[at];
        switch (in.op) {
        case Op::Jump:
            list.pending.push_back(in.x);
            break;
        case Op::Split: // the first target is tried first
            list.pending.push_back(in.y);
            list.pending.push_back(in.x);
            break;
        case Op::Assert:
            if (holds(in.assertion, text, pos)) list.pending.push_back(at + 1);
            break;
        case Op::Chars:
        case Op::Match:
            list.threads.push_back({at, 0, start});
            break;
        }
    }
}

// Moves a thread over the character at pos: a valid UTF-8 sequence is taken
// whole or not at all, any other byte on its own.
void WordBoundaryMatcher::step(const Thread& thread, ThreadList& next, size_t pos, size_t limit,
                               std::string_view text) const {
    if (thread.skip > 0) {
        follow(next, thread.pc, thread.skip - 1, thread.start, pos + 1, text);
        return;
    }
    if (pos >= limit) return;
    const Set& set = sets_[program_[thread.pc].x];
    const auto byte = static_cast<uint8_t>(text[pos]);
    char32_t cp;
    const int length = byte >= 0xC2 ? decodeUtf8(text.data(), text.size(), pos, cp) : 0;
    if (length == 0) {
        if (set.bytes[byte]) follow(next, thread.pc + 1, 0, thread.start, pos + 1, text);
    } else if (pos + static_cast<size_t>(length) <= limit && set.containsWide(cp)) {
        follow(next, thread.pc + 1, static_cast<uint8_t>(length - 1), thread.start, pos + 1, text);
    }
}

std::optional<Span> WordBoundaryMatcher::find(std::string_view text, size_t from, size_t lastStart,
                                              size_t limit) const {
    // Every thread of the process keeps its own lists, reused from call to call.
    thread_local ThreadList lists[2];
    ThreadList* current = &lists[0];
    ThreadList* next = &lists[1];
    const size_t states = program_.size() * SkipStates;
    limit = std::min(limit, text.size());
    current->reset(states);
    std::optional<Span> best;
    for (size_t pos = from; pos <= limit; ++pos) {
        // A new attempt starts here, after every attempt that began earlier.
        if (!best && pos <= lastStart) follow(*current, 0, 0, pos, pos, text);
        if (current->threads.empty()) {
            if (best || pos >= lastStart) break;
            current->reset(states); // its marks belong to this position
            continue;
        }
        next->reset(states);
        for (const Thread& thread : current->threads) {
            if (thread.skip == 0 && program_[thread.pc].op == Op::Match) {
                best = Span{thread.start, pos};
                break; // the threads after it have lower priority
            }
            step(thread, *next, pos, limit, text);
        }
        std::swap(current, next);
    }
    return best;
}

} // namespace ferrolux::engine
