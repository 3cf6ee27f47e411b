#include "engine/WordBoundaryMatcher.h"

#include "engine/CompiledPattern.h"
#include "engine/WordCharacters.h"

#include <algorithm>

namespace ferrolux::engine {

namespace {

// A thread inside a UTF-8 character waits up to three bytes: four states
// per instruction.
constexpr uint32_t SkipStates = 4;
// The closures' instruction lists may hold this many entries together (a
// long run of optional items makes them grow with its square); past it,
// closures walk the program instead.
constexpr size_t MaxClosureEntries = size_t(1) << 18;
// Positions between two looks at the cancel flag: each position costs up to
// a few nanoseconds per instruction, so the stride shrinks as the program
// grows and a look comes every millisecond or so.
constexpr size_t CancelWork = size_t(1) << 18;
constexpr size_t MaxCancelStride = 1024;

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
    std::vector<uint32_t> pending;                     // the walk's work stack
    std::vector<std::pair<uint32_t, uint32_t>> frames; // closures in progress: start, next entry

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
                                                                std::string& error,
                                                                size_t maxInstructions) {
    std::unique_ptr<WordBoundaryMatcher> matcher(new WordBoundaryMatcher);
    matcher->compileAlternatives(alternatives);
    if (matcher->program_.size() > maxInstructions) {
        error = "The pattern is too complex around \\< or \\>";
        return nullptr;
    }
    matcher->computeClosures();
    matcher->cancelStride_ =
        std::clamp<size_t>(CancelWork / matcher->program_.size(), 1, MaxCancelStride);
    return matcher;
}

// Where a closure can start (the first instruction, and the one after each
// character or assertion), lists what it reaches through splits and jumps
// alone, in priority order: characters, assertions and the match.
void WordBoundaryMatcher::computeClosures() {
    const size_t size = program_.size();
    std::vector<bool> start(size, false);
    start[0] = true;
    for (size_t pc = 0; pc + 1 < size; ++pc)
        if (program_[pc].op == Op::Chars || program_[pc].op == Op::Assert) start[pc + 1] = true;
    closures_.assign(size, {0, 0});
    std::vector<uint32_t> seen(size, 0);
    std::vector<uint32_t> pending;
    for (uint32_t root = 0; root < size; ++root) {
        if (!start[root]) continue;
        const auto first = static_cast<uint32_t>(closureEntries_.size());
        pending.assign(1, root);
        while (!pending.empty()) {
            const uint32_t at = pending.back();
            pending.pop_back();
            if (seen[at] == root + 1) continue;
            seen[at] = root + 1;
            const Instruction& in = program_[at];
            if (in.op == Op::Jump) {
                pending.push_back(in.x);
            } else if (in.op == Op::Split) {
                pending.push_back(in.y);
                pending.push_back(in.x);
            } else {
                closureEntries_.push_back(at);
            }
        }
        if (closureEntries_.size() > MaxClosureEntries) {
            closures_.clear();
            closureEntries_.clear();
            return;
        }
        closures_[root] = {first, static_cast<uint32_t>(closureEntries_.size()) - first};
    }
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
    const auto startsWith = [&](PatternItem::Kind kind) {
        return std::all_of(alternatives.begin(), alternatives.end(),
                           [&](const ItemSequence& items) {
                               return !items.empty() && items.front().kind == kind;
                           });
    };
    for (PatternItem::Kind kind :
         {PatternItem::Kind::LineStart, PatternItem::Kind::WordStart, PatternItem::Kind::WordEnd})
        if (startsWith(kind)) firstAssertion_ = kind;
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
    case PatternItem::Kind::WordStart: // the cheaper side first
        return wordCharacterAt(text, pos) && !wordCharacterBefore(text, pos);
    case PatternItem::Kind::WordEnd:
        return wordCharacterBefore(text, pos) && !wordCharacterAt(text, pos);
    case PatternItem::Kind::Chars:
        break;
    }
    return false;
}

bool WordBoundaryMatcher::takes(uint32_t pc, const Character& c) const {
    const Set& set = sets_[program_[pc].x];
    return c.length == 0 ? set.bytes[c.byte] : c.length > 0 && set.containsWide(c.cp);
}

// Adds the thread and everything it reaches without consuming a byte, in
// priority order, to the list of position pos, where the character c lies:
// a thread that cannot take it is not added at all.
void WordBoundaryMatcher::follow(ThreadList& list, uint32_t pc, uint8_t skip, size_t start,
                                 size_t pos, const Character& c, std::string_view text) const {
    if (skip > 0) {
        if (list.mark(pc * SkipStates + skip)) list.threads.push_back({pc, skip, start});
        return;
    }
    if (!closures_.empty()) {
        followClosures(list, pc, start, pos, c, text);
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
            if (takes(at, c)) list.threads.push_back({at, 0, start});
            break;
        case Op::Match:
            list.threads.push_back({at, 0, start});
            break;
        }
    }
}

WordBoundaryMatcher::Character WordBoundaryMatcher::characterAt(std::string_view text, size_t pos,
                                                                size_t limit) {
    if (pos >= limit) return Character{0, -1, 0};
    Character c{static_cast<uint8_t>(text[pos]), 0, 0};
    if (c.byte >= 0xC2) c.length = decodeUtf8(text.data(), text.size(), pos, c.cp);
    // A character that runs past the limit cannot be taken, whole or in part.
    if (pos + static_cast<size_t>(c.length) > limit) c.length = -1;
    return c;
}

// follow() through the lists of computeClosures(): an assertion that holds
// opens the closure after it before the entries after it are looked at.
void WordBoundaryMatcher::followClosures(ThreadList& list, uint32_t pc, size_t start, size_t pos,
                                         const Character& c, std::string_view text) const {
    list.frames.assign(1, {pc, 0});
    while (!list.frames.empty()) {
        auto& [root, next] = list.frames.back();
        const auto [first, count] = closures_[root];
        if (next == count) {
            list.frames.pop_back();
            continue;
        }
        const uint32_t at = closureEntries_[first + next++];
        if (!list.mark(at * SkipStates)) continue;
        const Instruction& in = program_[at];
        if (in.op == Op::Assert) {
            if (holds(in.assertion, text, pos)) list.frames.push_back({at + 1, 0});
        } else if (in.op == Op::Match || takes(at, c)) {
            list.threads.push_back({at, 0, start});
        }
    }
}

// Moves a thread over the character here, at pos, to the next position,
// where the character after lies: a valid UTF-8 sequence is taken whole or
// not at all, any other byte on its own.
void WordBoundaryMatcher::step(const Thread& thread, ThreadList& next, size_t pos,
                               const Character& here, const Character& after,
                               std::string_view text) const {
    if (thread.skip > 0) {
        follow(next, thread.pc, thread.skip - 1, thread.start, pos + 1, after, text);
        return;
    }
    // follow() added the thread only if it takes this character.
    const auto skip = static_cast<uint8_t>(here.length > 0 ? here.length - 1 : 0);
    follow(next, thread.pc + 1, skip, thread.start, pos + 1, after, text);
}

std::optional<Span> WordBoundaryMatcher::find(std::string_view text, size_t from, size_t lastStart,
                                              size_t limit, const std::atomic<bool>* cancel) const {
    // Every thread of the process keeps its own lists, reused from call to call.
    thread_local ThreadList lists[2];
    ThreadList* current = &lists[0];
    ThreadList* next = &lists[1];
    const size_t states = program_.size() * SkipStates;
    limit = std::min(limit, text.size());
    current->reset(states);
    std::optional<Span> best;
    Character here = characterAt(text, from, limit);
    for (size_t pos = from; pos <= limit; ++pos) {
        if (cancel && (pos - from) % cancelStride_ == 0 && cancel->load(std::memory_order_relaxed))
            return std::nullopt;
        // A new attempt starts here, after every attempt that began earlier
        // (unless the assertion it begins with fails here).
        if (!best && pos <= lastStart && (!firstAssertion_ || holds(*firstAssertion_, text, pos)))
            follow(*current, 0, 0, pos, pos, here, text);
        const Character after = characterAt(text, pos + 1, limit);
        if (current->threads.empty()) {
            if (best || pos >= lastStart) break;
            current->reset(states); // its marks belong to this position
            here = after;
            continue;
        }
        next->reset(states);
        for (const Thread& thread : current->threads) {
            if (thread.skip == 0 && program_[thread.pc].op == Op::Match) {
                best = Span{thread.start, pos};
                break; // the threads after it have lower priority
            }
            step(thread, *next, pos, here, after, text);
        }
        std::swap(current, next);
        here = after;
    }
    return best;
}

} // namespace ferrolux::engine
