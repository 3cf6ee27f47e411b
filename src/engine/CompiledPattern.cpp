#include "engine/CompiledPattern.h"

#include "engine/RegexBuilder.h"

#include <algorithm>
#include <cstring>
#include <re2/re2.h>

namespace ferrolux::engine {

namespace {

constexpr size_t MaxConjuncts = 64;
// Up to this lead, a candidate is checked by anchored matches at each
// possible start rather than by a search that may run far past it.
constexpr size_t AnchoredLead = 16;
constexpr int64_t RegexMemory = 64 << 20;

std::unique_ptr<re2::RE2> compileRegex(const std::string& expression, bool captures,
                                       std::string& error) {
    re2::RE2::Options options;
    options.set_encoding(re2::RE2::Options::EncodingLatin1);
    options.set_longest_match(false);
    options.set_never_capture(!captures);
    options.set_case_sensitive(true); // case folding is done by the translation
    options.set_log_errors(false);
    options.set_max_mem(RegexMemory);
    auto re = std::make_unique<re2::RE2>(expression, options);
    if (!re->ok()) {
        error = re->error_code() == re2::RE2::ErrorPatternTooLarge
                    ? "The pattern is too large"
                    : "The pattern cannot be compiled: " + re->error();
        return nullptr;
    }
    return re;
}

bool setHoldsLineBreak(const CharSet& set) {
    return set.containsByte('\r') || set.containsByte('\n');
}

bool branchSpansLines(const Branch& b) {
    return std::any_of(b.items.begin(), b.items.end(), [](const PatternItem& item) {
        return item.kind == PatternItem::Kind::Chars && setHoldsLineBreak(item.chars);
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

} // namespace

ConjunctMatcher::ConjunctMatcher(const std::vector<Branch>& branches, bool lineText,
                                 std::string& error)
    : lineText_(lineText) {
    const ConjunctRegex regex = buildConjunctRegex(branches);
    edges_ = regex.edges;
    groups_ = regex.groups;
    full_ = compileRegex(regex.full, edges_, error);
    if (full_ && edges_) mid_ = compileRegex(regex.mid, true, error);
    if (!error.empty()) return;

    spansLines_ = std::any_of(branches.begin(), branches.end(), branchSpansLines);
    std::vector<RequiredLiteral> literals;
    for (const Branch& b : branches) {
        auto literal = requiredLiteral(b);
        if (!literal) return; // a branch without a literal: let RE2 scan
        literals.push_back(std::move(*literal));
    }
    pure_ =
        !literals.empty() && std::all_of(literals.begin(), literals.end(),
                                         [](const RequiredLiteral& l) { return l.wholeBranch; });
    singleLiteral_ = pure_ && literals.size() == 1;
    prefilter_ = LiteralPrefilter::build(std::move(literals));
    if (!prefilter_) pure_ = singleLiteral_ = false;
}

ConjunctMatcher::~ConjunctMatcher() = default;

std::optional<Span> ConjunctMatcher::realSpan(std::string_view text, const void* subs,
                                              int count) const {
    const auto* groups = static_cast<const re2::StringPiece*>(subs);
    for (int i = 1; i < count; ++i) {
        if (groups[i].data() == nullptr) continue;
        const auto start = static_cast<size_t>(groups[i].data() - text.data());
        return Span{start, start + groups[i].size()};
    }
    return std::nullopt;
}

std::optional<Span> ConjunctMatcher::regexFind(std::string_view text, size_t from,
                                               size_t limit) const {
    if (from > limit || limit > text.size()) return std::nullopt;
    const re2::StringPiece piece(text.data(), text.size());
    if (!edges_) {
        re2::StringPiece match;
        if (!full_->Match(piece, from, limit, re2::RE2::UNANCHORED, &match, 1)) return std::nullopt;
        const auto start = static_cast<size_t>(match.data() - text.data());
        return Span{start, start + match.size()};
    }
    // The byte before `from` is consumed as the condition on what precedes
    // the match; one byte after the limit may be consumed for what follows.
    const re2::RE2& re = from == 0 ? *full_ : *mid_;
    const size_t startpos = from == 0 ? 0 : from - 1;
    const size_t endpos = std::min(limit + 1, text.size());
    std::vector<re2::StringPiece> subs(static_cast<size_t>(groups_) + 1);
    if (!re.Match(piece, startpos, endpos, re2::RE2::UNANCHORED, subs.data(),
                  static_cast<int>(subs.size())))
        return std::nullopt;
    auto span = realSpan(text, subs.data(), static_cast<int>(subs.size()));
    if (!span || span->start > limit || span->end > std::max(limit, span->start))
        return std::nullopt;
    return span;
}

std::optional<Span> ConjunctMatcher::anchoredAt(std::string_view text, size_t start,
                                                size_t limit) const {
    const re2::StringPiece piece(text.data(), text.size());
    if (!edges_) {
        re2::StringPiece match;
        if (!full_->Match(piece, start, limit, re2::RE2::ANCHOR_START, &match, 1))
            return std::nullopt;
        return Span{start, start + match.size()};
    }
    const re2::RE2& re = start == 0 ? *full_ : *mid_;
    std::vector<re2::StringPiece> subs(static_cast<size_t>(groups_) + 1);
    if (!re.Match(piece, start == 0 ? 0 : start - 1, std::min(limit + 1, text.size()),
                  re2::RE2::ANCHOR_START, subs.data(), static_cast<int>(subs.size())))
        return std::nullopt;
    auto span = realSpan(text, subs.data(), static_cast<int>(subs.size()));
    if (!span || span->start != start || span->end > limit) return std::nullopt;
    return span;
}

std::optional<Span> ConjunctMatcher::find(std::string_view text, size_t from, size_t limit) const {
    if (from > limit) return std::nullopt;
    if (!prefilter_ || spansLines_) return regexFind(text, from, limit);
    const size_t lead = prefilter_->maxLead();
    size_t untried = from; // starts before this are known to hold no match
    for (size_t pos = from;;) {
        const size_t hit = prefilter_->find(text.data(), pos, limit);
        if (hit == npos) return std::nullopt;
        if (singleLiteral_) return Span{hit, hit + prefilter_->literalLength(0)};
        // Every match holds a literal at or after this one, the leftmost, so
        // none starts more than the longest lead before it.
        if (lead <= AnchoredLead) {
            for (size_t start = std::max(untried, hit >= lead ? hit - lead : 0); start <= hit;
                 ++start)
                if (auto match = anchoredAt(text, start, limit)) return match;
            untried = pos = hit + 1;
            continue;
        }
        // Nor, as a match cannot cross CR or LF, before the literal's line.
        if (lead != RequiredLiteral::Unbounded && hit - from > lead)
            from = hit - lead;
        else
            from = lineStartBefore(text.data(), from, hit, true);
        return regexFind(text, from, limit);
    }
}

bool ConjunctMatcher::matchesIn(std::string_view text, size_t from, size_t limit) const {
    if (pure_) return prefilter_->find(text.data(), from, limit) != npos;
    if (from > limit) return false;
    const re2::StringPiece piece(text.data(), text.size());
    if (!edges_) return full_->Match(piece, from, limit, re2::RE2::UNANCHORED, nullptr, 0);
    // In whole lines the byte at the limit is an LF (or the end), which
    // settles the condition after a match without consuming it.
    if (lineText_)
        return (from == 0 ? *full_ : *mid_)
            .Match(piece, from == 0 ? 0 : from - 1, limit, re2::RE2::UNANCHORED, nullptr, 0);
    return regexFind(text, from, limit).has_value();
}

size_t ConjunctMatcher::candidate(std::string_view text, size_t from, size_t limit,
                                  bool& exact) const {
    if (prefilter_) {
        exact = pure_;
        return prefilter_->find(text.data(), from, limit);
    }
    exact = true;
    const auto match = regexFind(text, from, limit);
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
    compiled->controlBytes_ = std::any_of(pattern.begin(), pattern.end(), [](char c) {
        const auto b = static_cast<uint8_t>(c);
        return b < 0x20 && b != '\t' && b != '\r' && b != '\n';
    });
    int bestRank = 1000;
    for (const Alternation& alternatives : parsed.pattern.conjuncts) {
        std::vector<Branch> branches;
        for (const ItemSequence& items : alternatives) {
            if (!expandWordBoundaries(items, branches)) {
                error = "The pattern is too complex around \\< or \\>";
                return nullptr;
            }
        }
        auto matcher = std::make_unique<ConjunctMatcher>(branches, use == PatternUse::Lines, error);
        if (!error.empty()) return nullptr;
        // Lines are found through the conjunct with the rarest literal.
        if (const LiteralPrefilter* p = matcher->prefilter(); p && p->rank() < bestRank) {
            bestRank = p->rank();
            compiled->driver_ = compiled->conjuncts_.size();
        }
        compiled->conjuncts_.push_back(std::move(matcher));
    }
    return compiled;
}

std::optional<Span> CompiledPattern::find(std::string_view text, size_t from, size_t limit,
                                          Span* checkedLine) const {
    while (from <= limit) {
        const auto match = conjuncts_.front()->find(text, from, limit);
        if (!match || conjuncts_.size() == 1) return match;
        if (checkedLine && checkedLine->start <= match->start && match->start < checkedLine->end)
            return match;
        const size_t lineStart = lineStartBefore(text.data(), 0, match->start, true);
        const size_t lineEnd = lineEndFrom(text.data(), match->start, text.size(), true);
        bool all = true;
        for (size_t i = 1; i < conjuncts_.size() && all; ++i)
            all = conjuncts_[i]->matchesIn(text, lineStart, lineEnd);
        if (all) {
            if (checkedLine) *checkedLine = Span{lineStart, lineEnd};
            return match;
        }
        // Every later match starting on this line fails the same test.
        from = std::max(lineEnd, match->start + 1);
    }
    return std::nullopt;
}

std::optional<Span> CompiledPattern::nextMatchingLine(std::string_view region, size_t pos) const {
    const char* text = region.data();
    const ConjunctMatcher& driver = *conjuncts_[driver_];
    while (pos <= region.size()) {
        bool exact = false;
        const size_t hit = driver.candidate(region, pos, region.size(), exact);
        if (hit == npos) return std::nullopt;
        const size_t lineStart = lineStartBefore(text, pos, hit, false);
        const size_t lineEnd = lineEndFrom(text, hit, region.size(), false);
        bool all = exact || driver.matchesIn(region, lineStart, lineEnd);
        for (size_t i = 0; i < conjuncts_.size() && all; ++i)
            if (i != driver_) all = conjuncts_[i]->matchesIn(region, lineStart, lineEnd);
        if (all) return Span{lineStart, lineEnd};
        pos = lineEnd + 1;
    }
    return std::nullopt;
}

uint64_t CompiledPattern::conjunctsMatchedIn(std::string_view text, size_t from,
                                             size_t limit) const {
    uint64_t found = 0;
    for (size_t i = 0; i < conjuncts_.size(); ++i)
        if (conjuncts_[i]->matchesIn(text, from, limit)) found |= uint64_t(1) << i;
    return found;
}

uint64_t CompiledPattern::allConjuncts() const {
    return conjuncts_.size() >= 64 ? ~uint64_t(0) : (uint64_t(1) << conjuncts_.size()) - 1;
}

} // namespace ferrolux::engine
