#include "engine/CompiledPattern.h"

#include "engine/RegexBuilder.h"
#include "engine/WordBoundaryMatcher.h"
#include "engine/WordCharacters.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <re2/re2.h>

namespace ferrolux::engine {

namespace {

constexpr size_t MaxConjuncts = 64;
// Up to this lead, a candidate is checked by anchored matches at each
// possible start rather than by a search that may run far past it.
constexpr size_t AnchoredLead = 16;
// RE2's memory (program and DFA caches) for a whole pattern, shared out
// among its conjuncts, and the most one conjunct gets.
constexpr int64_t PatternMemory = int64_t(128) << 20;
constexpr int64_t ConjunctMemory = int64_t(64) << 20;
// RE2 keeps the parsed expression as well, some 25 bytes per character of
// it: the expressions of a pattern may be this long together.
constexpr size_t PatternRegexLength = size_t(1) << 20;
// A candidate of a conjunct with word boundaries is settled together with
// the starts up to this far after it, so that a run of false candidates
// costs one call of each matcher rather than one per byte.
constexpr size_t SettledReach = 64;
// Past this many bytes, a search for a match of a conjunct with a literal
// looks only around the literal's occurrences.
constexpr size_t GuidedSpan = size_t(64) << 10;

// RE2 cannot be stopped, and where its DFA gives up (a large pattern over a
// long line) it reads a byte in microseconds: a few nanoseconds per
// instruction of its program, following every thread or building a DFA
// state. A stretch it gets through within CallTime even so (at least
// PacedSpan) is searched in one call; a longer one is asked over prefixes
// from half that length, growing by half up to the whole stretch, so that
// no call reads many bytes more than the one before it (each byte new to
// RE2 may cost it a new DFA state: a quick prefix says little of the rest).
// When a call would outlast CallTime, the thread matcher, which looks at
// Stop as it goes, searches the stretch instead. It may take programs this
// large: slow, but never deaf.
constexpr auto CallTime = std::chrono::milliseconds(40);
constexpr size_t UnpacedWork = size_t(10) << 20; // bytes x instructions
constexpr size_t PacedSpan = size_t(1) << 10;
constexpr size_t StepwiseInstructions = size_t(1) << 16;

// How far past a match a lone byte is looked for that may make a longer
// match read one character at a time.
constexpr size_t LoneReach = 256;

bool isCanceled(const CancelFlag* cancel) {
    return cancel && cancel->load(std::memory_order_relaxed);
}

// The size of the slices of text that one RE2 call searches. RE2 cannot be
// stopped, and a pattern that defeats its DFA takes up to a millisecond per
// byte, so a call is kept to about SliceTime, after which Stop is seen. The
// first slice is small and not timed (most searches end in it); after it a
// fast search doubles the slice, so that a long one costs few calls.
class SliceSize {
public:
    size_t bytes() const { return bytes_; }
    void startCall() {
        if (timed_) started_ = std::chrono::steady_clock::now();
    }
    void endCall() {
        if (!timed_) {
            timed_ = true;
            bytes_ *= 2;
            return;
        }
        const auto took = std::chrono::steady_clock::now() - started_;
        if (took < SliceTime / 8)
            bytes_ = std::min(bytes_ * 2, Largest);
        else if (took > SliceTime)
            bytes_ = std::max(bytes_ / 4, First);
    }

private:
    static constexpr auto SliceTime = std::chrono::milliseconds(10);
    static constexpr size_t First = 256;
    static constexpr size_t Largest = size_t(16) << 20;
    size_t bytes_ = First;
    bool timed_ = false;
    std::chrono::steady_clock::time_point started_;
};

std::unique_ptr<re2::RE2> compileRegex(const std::string& expression, int64_t memory,
                                       std::string& error) {
    re2::RE2::Options options;
    options.set_encoding(re2::RE2::Options::EncodingLatin1);
    options.set_longest_match(false);
    options.set_never_capture(true);
    options.set_case_sensitive(true); // case folding is done by the translation
    options.set_log_errors(false);
    options.set_max_mem(memory);
    auto re = std::make_unique<re2::RE2>(expression, options);
    if (!re->ok()) {
        error = re->error_code() == re2::RE2::ErrorPatternTooLarge
                    ? "The pattern is too large"
                    : "The pattern cannot be compiled: " + re->error();
        return nullptr;
    }
    return re;
}

bool isWordBoundary(const PatternItem& item) {
    return item.kind == PatternItem::Kind::WordStart || item.kind == PatternItem::Kind::WordEnd;
}

bool holdsWordBoundary(const Alternation& alternatives) {
    return std::any_of(alternatives.begin(), alternatives.end(), [](const ItemSequence& items) {
        return std::any_of(items.begin(), items.end(), isWordBoundary);
    });
}

bool spansLines(const ItemSequence& items) {
    return std::any_of(items.begin(), items.end(), [](const PatternItem& item) {
        return item.kind == PatternItem::Kind::Chars &&
               (item.chars.containsByte('\r') || item.chars.containsByte('\n'));
    });
}

size_t lineStartBefore(const char* text, size_t from, size_t pos, bool crToo) {
    if (!crToo) {
        const void* lf = memrchr(text + from, '\n', pos - from);
        return lf ? static_cast<size_t>(static_cast<const char*>(lf) - text) + 1 : from;
    }
    for (size_t p = pos; p > from; --p) {
        const char c = text[p - 1];
        if (c == '\n' || c == '\r') return p;
    }
    return from;
}

size_t lineEndFrom(const char* text, size_t pos, size_t end, bool crToo) {
    if (!crToo) {
        const void* lf = std::memchr(text + pos, '\n', end - pos);
        return lf ? static_cast<size_t>(static_cast<const char*>(lf) - text) : end;
    }
    for (size_t p = pos; p < end; ++p) {
        const char c = text[p];
        if (c == '\n' || c == '\r') return p;
    }
    return end;
}

bool isOptional(const PatternItem& item) {
    return item.kind == PatternItem::Kind::Chars &&
           (item.quantifier == Quantifier::ZeroOrMore || item.quantifier == Quantifier::ZeroOrOne);
}

// Whether one of the alternatives can match the empty text at the start of
// any line, or at the end of any line.
bool matchesEveryLine(const Alternation& alternatives) {
    return std::any_of(alternatives.begin(), alternatives.end(), [](const ItemSequence& items) {
        const auto emptyAt = [&](PatternItem::Kind anchor) {
            return std::all_of(items.begin(), items.end(), [&](const PatternItem& item) {
                return item.kind == anchor || isOptional(item);
            });
        };
        return emptyAt(PatternItem::Kind::LineStart) || emptyAt(PatternItem::Kind::LineEnd);
    });
}

bool containsWide(const CharSet& set, char32_t cp) {
    return std::any_of(set.wide.begin(), set.wide.end(),
                       [&](const CodeRange& r) { return r.lo <= cp && cp <= r.hi; });
}

// The alternatives with each set also taking, as a lone byte, every
// Windows-1252 character it holds; `added` gets the bytes that are new.
Alternation withLoneBytes(const Alternation& alternatives, std::bitset<256>& added) {
    Alternation out = alternatives;
    for (ItemSequence& items : out)
        for (PatternItem& item : items) {
            if (item.kind != PatternItem::Kind::Chars || item.chars.wide.empty()) continue;
            for (unsigned b = 0x80; b <= 0xFF; ++b)
                if (!item.chars.bytes[b] && containsWide(item.chars, windows1252(uint8_t(b)))) {
                    item.chars.bytes.set(b);
                    added.set(b);
                }
        }
    return out;
}

// Whether the byte at pos (not ASCII) is a character of its own: neither
// the start of a valid UTF-8 sequence nor inside one.
bool isLoneByte(std::string_view text, size_t pos) {
    if (characterLength(text.data(), text.size(), pos) > 1) return false;
    for (size_t back = 1; back <= 3 && back <= pos; ++back)
        if (characterLength(text.data(), text.size(), pos - back) > back) return false;
    return true;
}

bool allHold(const std::vector<PatternItem::Kind>& boundaries, std::string_view text, size_t pos) {
    return std::all_of(boundaries.begin(), boundaries.end(), [&](PatternItem::Kind kind) {
        return WordBoundaryMatcher::holds(kind, text, pos);
    });
}

} // namespace

size_t countLineFeeds(std::string_view text) {
    size_t count = 0;
    for (const char c : text) // a loop the compiler turns into vector compares
        count += c == '\n';
    return count;
}

ConjunctMatcher::ConjunctMatcher(const Alternation& alternatives, bool lineText,
                                 RegexBudget& budget, std::string& error)
    : lineText_(lineText) {
    const auto expression = regexForAlternatives(alternatives, budget.length);
    if (!expression) {
        error = "The pattern is too large";
        return;
    }
    budget.length -= expression->size();
    regex_ = compileRegex(*expression, budget.memory, error);
    if (!regex_) return;
    pacedSpan_ =
        std::max(PacedSpan, UnpacedWork / static_cast<size_t>(std::max(1, regex_->ProgramSize())));
    spansLines_ = std::any_of(alternatives.begin(), alternatives.end(), spansLines);
    usePrefilter(alternatives);
    if (holdsWordBoundary(alternatives) && boundedLiterals_.empty())
        boundaries_ = WordBoundaryMatcher::build(alternatives, error);
    if (!error.empty()) return;
    if (!boundaries_) alternatives_ = alternatives;
    std::bitset<256> lone;
    const Alternation byCharacter = withLoneBytes(alternatives, lone);
    if (lone.none()) return;
    // Too complex for the thread matcher: such text is then read as bytes
    // and UTF-8 only, as before.
    std::string tooComplex;
    byCharacter_ = WordBoundaryMatcher::build(byCharacter, tooComplex);
    if (byCharacter_) loneBytes_ = lone;
}

ConjunctMatcher::~ConjunctMatcher() = default;

void ConjunctMatcher::usePrefilter(const Alternation& alternatives) {
    std::vector<RequiredLiteral> literals;
    for (const ItemSequence& items : alternatives) {
        auto literal = requiredLiteral(items);
        if (!literal) return; // an alternative without a literal: let RE2 scan
        literals.push_back(std::move(*literal));
    }
    pure_ = !literals.empty() && std::all_of(literals.begin(), literals.end(),
                                             [](const RequiredLiteral& l) { return l.whole; });
    singleLiteral_ = pure_ && literals.size() == 1;
    prefilter_ = LiteralPrefilter::build(std::move(literals));
    if (!prefilter_) {
        pure_ = singleLiteral_ = false;
        return;
    }
    if (!pure_) boundedLiterals_ = boundedLiteralsOf(alternatives);
}

// Whole words of fixed text ("-w int"): each alternative is a literal with
// word boundaries around it, found by the prefilter and its edges checked
// here, with no regex at all. Empty when the alternatives are not all so.
std::vector<ConjunctMatcher::BoundedLiteral>
ConjunctMatcher::boundedLiteralsOf(const Alternation& alternatives) {
    if (!holdsWordBoundary(alternatives)) return {};
    std::vector<BoundedLiteral> bounded;
    for (const ItemSequence& items : alternatives) {
        BoundedLiteral literal;
        bool inText = false;
        for (const PatternItem& item : items) {
            if (isWordBoundary(item))
                (inText ? literal.after : literal.before).push_back(item.kind);
            else if (!literal.after.empty() || !isFixedCharacter(item))
                return {};
            else
                inText = true;
        }
        bounded.push_back(std::move(literal));
    }
    return bounded;
}

std::optional<Span> ConjunctMatcher::regexSearch(std::string_view text, size_t from,
                                                 size_t limit) const {
    const re2::StringPiece piece(text.data(), text.size());
    re2::StringPiece match;
    if (!regex_->Match(piece, from, limit, re2::RE2::UNANCHORED, &match, 1)) return std::nullopt;
    const auto start = static_cast<size_t>(match.data() - text.data());
    return Span{start, start + match.size()};
}

std::optional<Span> ConjunctMatcher::regexMatchAt(std::string_view text, size_t start,
                                                  size_t limit) const {
    const re2::StringPiece piece(text.data(), text.size());
    re2::StringPiece match;
    if (!regex_->Match(piece, start, limit, re2::RE2::ANCHOR_START, &match, 1)) return std::nullopt;
    return Span{start, start + match.size()};
}

std::optional<Span> ConjunctMatcher::slicedSearch(std::string_view text, size_t from, size_t limit,
                                                  bool lineOnly, const CancelFlag* cancel) const {
    SliceSize slice;
    for (size_t start = from;;) {
        if (isCanceled(cancel)) return std::nullopt;
        // No match crosses a line break: a slice ends at one (or at limit).
        const size_t end = limit - start > slice.bytes()
                               ? lineEndFrom(text.data(), start + slice.bytes(), limit, false)
                               : limit;
        // A slice that a long line stretched past its size is paced.
        const bool stretched = end - start > 2 * slice.bytes();
        slice.startCall();
        std::optional<Span> match;
        if (lineOnly && lineEndFrom(text.data(), start, end, false) == end) {
            // One long line: whether it holds a match is cheaper to learn
            // than where the match lies.
            if (regexMatches(text, start, end, cancel)) match = Span{start, start};
        } else {
            match =
                stretched ? pacedSearch(text, start, end, cancel) : regexSearch(text, start, end);
        }
        slice.endCall();
        if (match || end >= limit) return match;
        start = end + 1;
    }
}

ConjunctMatcher::Paced ConjunctMatcher::pace(std::string_view text, size_t from, size_t limit,
                                             bool existence, const CancelFlag* cancel) const {
    if (from >= limit || limit - from <= pacedSpan_) return {Pace::OneCall, std::nullopt};
    const re2::StringPiece piece(text.data(), text.size());
    const auto probe = [&](size_t end, std::optional<Span>& match) {
        const auto started = std::chrono::steady_clock::now();
        re2::StringPiece found;
        match.reset();
        if (regex_->Match(piece, from, end, re2::RE2::UNANCHORED, existence ? nullptr : &found,
                          existence ? 0 : 1)) {
            const size_t at = existence ? from : static_cast<size_t>(found.data() - text.data());
            match = Span{at, at + found.size()};
        }
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - started);
    };
    std::chrono::duration<double> lastTook{0};
    for (size_t window = pacedSpan_ / 2;;) {
        if (isCanceled(cancel)) return {Pace::Answered, std::nullopt}; // not used after Stop
        const size_t end = limit - from > window ? from + window : limit;
        std::optional<Span> match;
        const auto took = probe(end, match);
        // A match within a prefix is one in the stretch: the text past the
        // prefix is context, as the text before it is. Where is not known
        // until the prefix is the whole stretch.
        if (end == limit || (match && existence)) return {Pace::Answered, match};
        // A slow probe is asked again: RE2's DFA builds its states as it
        // meets them, and once built they make the same prefix quick. A
        // second slow answer: RE2 reads this stretch at a crawl.
        auto again = took;
        if (took > CallTime / 4 && !isCanceled(cancel)) again = probe(end, match);
        if (1.5 * again > CallTime)
            return {stepwise() ? Pace::Stepwise : Pace::OneCall, std::nullopt};
        // The bytes new to the next probe cost what the last ones did, or
        // more where each new state is larger than the last: fewer of them
        // when the next probe would run too long.
        const double growth = lastTook.count() > 0 ? std::max(1.5, took / lastTook) : 1.5;
        const double share = std::min(1.0, CallTime / (took * growth));
        window +=
            std::max(static_cast<size_t>(static_cast<double>(window / 2) * share), PacedSpan / 4);
        lastTook = took;
    }
}

bool ConjunctMatcher::regexMatches(std::string_view text, size_t from, size_t limit,
                                   const CancelFlag* cancel) const {
    const Paced paced = pace(text, from, limit, true, cancel);
    switch (paced.pace) {
    case Pace::Answered:
        return paced.match.has_value();
    case Pace::Stepwise:
        return stepwise()->find(text, from, limit, limit, cancel).has_value();
    case Pace::OneCall:
        break;
    }
    const re2::StringPiece piece(text.data(), text.size());
    return regex_->Match(piece, from, limit, re2::RE2::UNANCHORED, nullptr, 0);
}

std::optional<Span> ConjunctMatcher::pacedSearch(std::string_view text, size_t from, size_t limit,
                                                 const CancelFlag* cancel) const {
    const Paced paced = pace(text, from, limit, false, cancel);
    switch (paced.pace) {
    case Pace::Answered:
        return paced.match;
    case Pace::Stepwise:
        return stepwise()->find(text, from, limit, limit, cancel);
    case Pace::OneCall:
        break;
    }
    return regexSearch(text, from, limit);
}

const WordBoundaryMatcher* ConjunctMatcher::stepwise() const {
    if (boundaries_) return boundaries_.get();
    std::call_once(stepwiseBuilt_, [this] {
        std::string tooLarge; // then RE2 searches in one call, as before
        stepwise_ = WordBoundaryMatcher::build(alternatives_, tooLarge, StepwiseInstructions);
    });
    return stepwise_.get();
}

std::optional<Span> ConjunctMatcher::regexFind(std::string_view text, size_t from, size_t limit,
                                               const CancelFlag* cancel) const {
    if (spansLines_) return pacedSearch(text, from, limit, cancel);
    if (!prefilter_) return slicedSearch(text, from, limit, false, cancel);
    const size_t lead = prefilter_->maxLead();
    size_t untried = from; // starts before this are known to hold no match
    for (size_t pos = from;;) {
        if (isCanceled(cancel)) return std::nullopt;
        const size_t hit = prefilter_->find(text.data(), pos, limit);
        if (hit == npos) return std::nullopt;
        if (singleLiteral_) return Span{hit, hit + prefilter_->literalLength(0)};
        // Every match holds a literal at or after this one, the leftmost, so
        // none starts more than the longest lead before it.
        if (lead <= AnchoredLead) {
            for (size_t start = std::max(untried, hit >= lead ? hit - lead : 0); start <= hit;
                 ++start)
                if (auto match = regexMatchAt(text, start, limit)) return match;
            untried = pos = hit + 1;
            continue;
        }
        // Nor, as a match cannot cross CR or LF, before the literal's line;
        // and a match starting there ends on the literal's line, or on a
        // later line after a later literal.
        const size_t start = lead != RequiredLiteral::Unbounded && hit - from > lead
                                 ? hit - lead
                                 : lineStartBefore(text.data(), from, hit, true);
        const size_t lineEnd = lineEndFrom(text.data(), hit, limit, false);
        if (auto match = pacedSearch(text, start, lineEnd, cancel)) return match;
        if (lineEnd >= limit) return std::nullopt;
        from = pos = untried = lineEnd + 1;
    }
}

std::optional<Span> ConjunctMatcher::findBoundedLiteral(std::string_view text, size_t from,
                                                        size_t limit,
                                                        const CancelFlag* cancel) const {
    for (size_t pos = from;;) {
        if (isCanceled(cancel)) return std::nullopt;
        const size_t hit = prefilter_->find(text.data(), pos, limit);
        if (hit == npos) return std::nullopt;
        const bool one = boundedLiterals_.size() == 1; // then the prefilter found it
        for (size_t i = 0; i < boundedLiterals_.size(); ++i) {
            if (!one && !prefilter_->literalAt(i, text.data(), hit, limit)) continue;
            const size_t end = hit + prefilter_->literalLength(i);
            if (allHold(boundedLiterals_[i].before, text, hit) &&
                allHold(boundedLiterals_[i].after, text, end))
                return Span{hit, end};
        }
        pos = hit + 1;
    }
}

// RE2 without the boundaries finds every match and maybe more: the first
// candidate and the starts just after it are settled exactly, and RE2 goes on
// after them when none of them holds a match.
std::optional<Span> ConjunctMatcher::findWithBoundaries(std::string_view text, size_t from,
                                                        size_t limit,
                                                        const CancelFlag* cancel) const {
    for (size_t pos = from; pos <= limit;) {
        const auto candidate = regexFind(text, pos, limit, cancel);
        if (!candidate) return std::nullopt;
        const size_t lastStart =
            std::min(limit, std::max(candidate->end, candidate->start + SettledReach));
        if (auto match = boundaries_->find(text, candidate->start, lastStart, limit, cancel))
            return match;
        pos = lastStart + 1;
    }
    return std::nullopt;
}

std::optional<Span> ConjunctMatcher::find(std::string_view text, size_t from, size_t limit,
                                          const CancelFlag* cancel) const {
    if (from > limit || limit > text.size()) return std::nullopt;
    if (!boundedLiterals_.empty()) return findBoundedLiteral(text, from, limit, cancel);
    if (boundaries_) return findWithBoundaries(text, from, limit, cancel);
    return regexFind(text, from, limit, cancel);
}

bool ConjunctMatcher::matchesIn(std::string_view text, size_t from, size_t limit,
                                const CancelFlag* cancel) const {
    if (pure_) return prefilter_->find(text.data(), from, limit) != npos;
    if (from > limit || limit > text.size()) return false;
    if (!boundedLiterals_.empty()) return findBoundedLiteral(text, from, limit, cancel).has_value();
    // Over a long text (a long line, a window of one), RE2 looks only around
    // the literal's occurrences, as it does when it finds lines.
    if (prefilter_ && !spansLines_ && limit - from > GuidedSpan)
        return find(text, from, limit, cancel).has_value();
    if (!regexMatches(text, from, limit, cancel)) return false;
    if (!boundaries_) return true;
    // A line is settled all at once.
    if (lineText_) return boundaries_->find(text, from, limit, limit, cancel).has_value();
    return findWithBoundaries(text, from, limit, cancel).has_value();
}

std::optional<Span> ConjunctMatcher::findByCharacter(std::string_view text, size_t from,
                                                     size_t lastStart, size_t limit,
                                                     const CancelFlag* cancel) const {
    lastStart = std::min(lastStart, limit);
    if (from > lastStart || limit > text.size()) return std::nullopt;
    if (byCharacter_) return byCharacter_->find(text, from, lastStart, limit, cancel);
    const auto match = find(text, from, limit, cancel);
    return match && match->start <= lastStart ? match : std::nullopt;
}

size_t ConjunctMatcher::candidate(std::string_view text, size_t from, size_t limit, bool& exact,
                                  const CancelFlag* cancel) const {
    if (!boundedLiterals_.empty()) {
        exact = true;
        const auto match = findBoundedLiteral(text, from, limit, cancel);
        return match ? match->start : npos;
    }
    if (prefilter_) {
        exact = pure_;
        return prefilter_->find(text.data(), from, limit);
    }
    exact = !boundaries_;
    // Only the match's line is wanted, not where on it the match lies.
    const auto match = spansLines_ ? pacedSearch(text, from, limit, cancel)
                                   : slicedSearch(text, from, limit, lineText_, cancel);
    return match ? match->start : npos;
}

std::shared_ptr<const CompiledPattern> CompiledPattern::compile(std::string_view pattern,
                                                                bool caseSensitive, PatternUse use,
                                                                std::string& error) {
    ParseOutcome parsed = parsePattern(pattern, caseSensitive);
    if (!parsed.error.empty()) {
        error = parsed.error;
        return nullptr;
    }
    if (parsed.pattern.conjuncts.size() > MaxConjuncts) {
        error = "Too many & conditions in the pattern";
        return nullptr;
    }
    if (use == PatternUse::Lines) removeLineFeeds(parsed.pattern);
    auto compiled = std::make_shared<CompiledPattern>();
    compiled->source_ = pattern;
    compiled->caseSensitive_ = caseSensitive;
    compiled->use_ = use;
    compiled->everyLine_ =
        use == PatternUse::Lines &&
        std::all_of(parsed.pattern.conjuncts.begin(), parsed.pattern.conjuncts.end(),
                    [](const Alternation& alternatives) { return matchesEveryLine(alternatives); });
    compiled->controlBytes_ = std::any_of(pattern.begin(), pattern.end(), [](char c) {
        const auto b = static_cast<uint8_t>(c);
        return b < 0x20 && b != '\t' && b != '\r' && b != '\n';
    });
    ConjunctMatcher::RegexBudget budget{
        std::min<int64_t>(ConjunctMemory,
                          PatternMemory / static_cast<int64_t>(parsed.pattern.conjuncts.size())),
        PatternRegexLength};
    int bestRank = 1000;
    for (const Alternation& alternatives : parsed.pattern.conjuncts) {
        auto matcher = std::make_unique<ConjunctMatcher>(alternatives, use == PatternUse::Lines,
                                                         budget, error);
        if (!error.empty()) return nullptr;
        // Lines are found through the conjunct with the rarest literal.
        if (const LiteralPrefilter* p = matcher->prefilter(); p && p->rank() < bestRank) {
            bestRank = p->rank();
            compiled->driver_ = compiled->conjuncts_.size();
        }
        compiled->loneBytes_ |= matcher->loneBytes();
        compiled->conjuncts_.push_back(std::move(matcher));
    }
    return compiled;
}

std::optional<Span> CompiledPattern::find(std::string_view text, size_t from, size_t limit,
                                          Span* checkedLine, const CancelFlag* cancel) const {
    const auto match = findUtf8(text, from, limit, checkedLine, cancel);
    if (loneBytes_.none()) return match;
    // A match that only the reading by character finds holds a lone byte;
    // one that starts no later than this match holds it before this match
    // ends, or just after it on the same line (looked for a short way only,
    // so that a loop over the matches of a long text stays linear).
    const size_t scanEnd =
        match ? lineEndFrom(text.data(), match->end, std::min(limit, match->end + LoneReach), true)
              : limit;
    if (nextLoneByte(text, from, scanEnd) == npos) return match;
    const auto byCharacter =
        findByCharacter(text, from, match ? match->start : limit, limit, cancel);
    if (!byCharacter ||
        (byCharacter->start == text.size() && (text.empty() || text.back() == '\n')))
        return match;
    return byCharacter;
}

std::optional<Span> CompiledPattern::findUtf8(std::string_view text, size_t from, size_t limit,
                                              Span* checkedLine, const CancelFlag* cancel) const {
    while (from <= limit) {
        const auto match = conjuncts_.front()->find(text, from, limit, cancel);
        // What follows a final line break is no line, so nothing matches there.
        if (match && match->start == text.size() && (text.empty() || text.back() == '\n'))
            return std::nullopt;
        if (!match || conjuncts_.size() == 1) return match;
        if (checkedLine && checkedLine->start <= match->start && match->start < checkedLine->end)
            return match;
        const size_t lineStart = lineStartBefore(text.data(), 0, match->start, true);
        const size_t lineEnd = lineEndFrom(text.data(), match->start, text.size(), true);
        bool all = true;
        for (size_t i = 1; i < conjuncts_.size() && all; ++i)
            all = conjunctMatchesIn(i, text, lineStart, lineEnd, cancel);
        if (all) {
            if (checkedLine) *checkedLine = Span{lineStart, lineEnd};
            return match;
        }
        // Every later match starting on this line fails the same test.
        from = std::max(lineEnd, match->start + 1);
    }
    return std::nullopt;
}

std::optional<Span> CompiledPattern::findByCharacter(std::string_view text, size_t from,
                                                     size_t lastStart, size_t limit,
                                                     const CancelFlag* cancel) const {
    while (from <= lastStart) {
        const auto match =
            conjuncts_.front()->findByCharacter(text, from, lastStart, limit, cancel);
        if (!match || conjuncts_.size() == 1) return match;
        const size_t lineStart = lineStartBefore(text.data(), 0, match->start, true);
        const size_t lineEnd = lineEndFrom(text.data(), match->start, text.size(), true);
        bool all = true;
        for (size_t i = 1; i < conjuncts_.size() && all; ++i)
            all = conjunctMatchesIn(i, text, lineStart, lineEnd, cancel);
        if (all) return match;
        from = std::max(lineEnd, match->start + 1);
    }
    return std::nullopt;
}

bool CompiledPattern::conjunctMatchesIn(size_t i, std::string_view text, size_t from, size_t limit,
                                        const CancelFlag* cancel) const {
    const ConjunctMatcher& conjunct = *conjuncts_[i];
    if (conjunct.matchesIn(text, from, limit, cancel)) return true;
    return conjunct.loneBytes().any() && nextLoneByte(text, from, limit) != npos &&
           conjunct.findByCharacter(text, from, limit, limit, cancel).has_value();
}

size_t CompiledPattern::nextLoneByte(std::string_view text, size_t from, size_t limit) const {
    if (loneBytes_.none()) return npos;
    const auto* bytes = reinterpret_cast<const uint8_t*>(text.data());
    limit = std::min(limit, text.size());
    for (size_t pos = from; pos < limit; ++pos) {
        while (pos + 8 <= limit) { // ASCII eight bytes at a time
            uint64_t word;
            std::memcpy(&word, bytes + pos, 8);
            if (word & 0x8080808080808080u) break;
            pos += 8;
        }
        if (pos < limit && loneBytes_[bytes[pos]] && isLoneByte(text, pos)) return pos;
    }
    return npos;
}

// Lines with a lone byte are read one character at a time, each on its own;
// the lines between them as before, many at once.
size_t CompiledPattern::findLine(std::string_view region, size_t pos, size_t* lineStart,
                                 const CancelFlag* cancel, LoneByteMark& mark) const {
    if (loneBytes_.none() || everyLine_) return findUtf8Line(region, pos, lineStart, cancel);
    const char* text = region.data();
    while (pos <= region.size() && !isCanceled(cancel)) {
        if (mark.from == npos || pos < mark.from || (mark.at != npos && pos > mark.at)) {
            mark.from = pos;
            mark.at = nextLoneByte(region, pos, region.size());
        }
        if (mark.at == npos) return findUtf8Line(region, pos, lineStart, cancel);
        const size_t loneLine = lineStartBefore(text, pos, mark.at, false);
        if (loneLine > pos) { // the lines before it end at the LF before loneLine
            const size_t end = findUtf8Line(region.substr(0, loneLine - 1), pos, lineStart, cancel);
            if (end != npos) return end;
        }
        const size_t lineEnd = lineEndFrom(text, mark.at, region.size(), false);
        bool all = true;
        for (size_t i = 0; i < conjuncts_.size() && all; ++i)
            all = conjunctMatchesIn(i, region, loneLine, lineEnd, cancel);
        if (all) {
            if (lineStart) *lineStart = loneLine;
            return lineEnd;
        }
        pos = lineEnd + 1;
    }
    return npos;
}

size_t CompiledPattern::findUtf8Line(std::string_view region, size_t pos, size_t* lineStart,
                                     const CancelFlag* cancel) const {
    const char* text = region.data();
    if (everyLine_) {
        if (pos > region.size()) return npos;
        if (lineStart) *lineStart = pos;
        return lineEndFrom(text, pos, region.size(), false);
    }
    const ConjunctMatcher& driver = *conjuncts_[driver_];
    while (pos <= region.size() && !isCanceled(cancel)) {
        bool exact = false;
        const size_t hit = driver.candidate(region, pos, region.size(), exact, cancel);
        if (hit == npos) return npos;
        const size_t lineEnd = lineEndFrom(text, hit, region.size(), false);
        // Counting a match that is sure needs no line start.
        const bool sure = exact && conjuncts_.size() == 1;
        if (sure && !lineStart) return lineEnd;
        const size_t start = lineStartBefore(text, pos, hit, false);
        bool all = exact || driver.matchesIn(region, start, lineEnd, cancel);
        for (size_t i = 0; i < conjuncts_.size() && all; ++i)
            if (i != driver_) all = conjuncts_[i]->matchesIn(region, start, lineEnd, cancel);
        if (all) {
            if (lineStart) *lineStart = start;
            return lineEnd;
        }
        pos = lineEnd + 1;
    }
    return npos;
}

std::optional<Span> CompiledPattern::nextMatchingLine(std::string_view region, size_t pos,
                                                      const CancelFlag* cancel,
                                                      LoneByteMark* mark) const {
    LoneByteMark ownMark;
    size_t start = 0;
    const size_t end = findLine(region, pos, &start, cancel, mark ? *mark : ownMark);
    if (end == npos) return std::nullopt;
    return Span{start, end};
}

size_t CompiledPattern::countMatchingLines(std::string_view region, size_t pos,
                                           const CancelFlag* cancel) const {
    if (everyLine_) return pos > region.size() ? 0 : countLineFeeds(region.substr(pos)) + 1;
    size_t count = 0;
    LoneByteMark mark;
    for (size_t end; (end = findLine(region, pos, nullptr, cancel, mark)) != npos; pos = end + 1)
        ++count;
    return count;
}

uint64_t CompiledPattern::conjunctsMatchedIn(std::string_view text, size_t from, size_t limit,
                                             const CancelFlag* cancel) const {
    uint64_t found = 0;
    for (size_t i = 0; i < conjuncts_.size(); ++i)
        if (conjunctMatchesIn(i, text, from, limit, cancel)) found |= uint64_t(1) << i;
    return found;
}

uint64_t CompiledPattern::allConjuncts() const {
    return conjuncts_.size() >= 64 ? ~uint64_t(0) : (uint64_t(1) << conjuncts_.size()) - 1;
}

} // namespace ferrolux::engine
