#include "search/NameOrder.h"

#include "platform/DisplayText.h"

#include <QCollatorSortKey>
#include <algorithm>
#include <array>
#include <map>
#include <memory>
#include <mutex>
#include <numeric>

namespace ferrolux {

// The collation's order of the printable ASCII characters, letters folded:
// rank[c] for c in 0x20..0x7E, 0 for the rest. Usable only when ordering
// ASCII names by these ranks, character by character, was checked to agree
// with the collation.
struct NameOrder::AsciiRanks {
    bool usable = false;
    std::array<uint8_t, 128> rank{};
};

namespace {

char foldAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c;
}

bool isPrintableAscii(const std::string& name) {
    return std::all_of(name.begin(), name.end(), [](char c) { return c >= 0x20 && c <= 0x7E; });
}

using Ranks = NameOrder::AsciiRanks;

bool rankLess(const Ranks& ranks, const std::string& a, const std::string& b) {
    const auto differ = std::mismatch(a.begin(), a.end(), b.begin(), b.end(), [&](char x, char y) {
        return ranks.rank[uint8_t(x)] == ranks.rank[uint8_t(y)];
    });
    if (differ.first != a.end() && differ.second != b.end())
        return ranks.rank[uint8_t(*differ.first)] < ranks.rank[uint8_t(*differ.second)];
    if (a.size() != b.size()) return a.size() < b.size();
    return a < b;
}

QCollatorSortKey keyOf(const QCollator& collator, const QString& text) {
    // Folded first: the C locale's keys ignore the case setting.
    return collator.sortKey(text.toCaseFolded());
}

// Ranks the characters by their sort keys, then checks every name of one
// and two characters: ordered by ranks, their keys must rise strictly. A
// contraction ("ch" after "h"), an ignored character or an expansion shows
// there, and the ranks are then not used.
std::unique_ptr<Ranks> rankAscii(const QCollator& collator) {
    auto ranks = std::make_unique<Ranks>();
    std::vector<std::string> singles;
    for (char c = 0x20; c <= 0x7E; ++c)
        if (foldAscii(c) == c) singles.emplace_back(1, c);
    std::vector<QCollatorSortKey> keys;
    for (const std::string& s : singles)
        keys.push_back(keyOf(collator, QString::fromLatin1(s)));
    std::vector<size_t> order(singles.size());
    std::iota(order.begin(), order.end(), size_t(0));
    std::sort(order.begin(), order.end(),
              [&](size_t a, size_t b) { return keys[a].compare(keys[b]) < 0; });
    for (size_t i = 0; i < order.size(); ++i) {
        if (i > 0 && keys[order[i - 1]].compare(keys[order[i]]) >= 0) return ranks;
        ranks->rank[uint8_t(singles[order[i]][0])] = uint8_t(i + 1);
    }
    for (char c = 'A'; c <= 'Z'; ++c)
        ranks->rank[uint8_t(c)] = ranks->rank[uint8_t(foldAscii(c))];

    std::vector<std::string> samples = singles;
    for (const std::string& first : singles)
        for (const std::string& second : singles)
            samples.push_back(first + second);
    std::sort(samples.begin(), samples.end(),
              [&](const std::string& a, const std::string& b) { return rankLess(*ranks, a, b); });
    QCollatorSortKey previous = keyOf(collator, QString::fromLatin1(samples.front()));
    for (size_t i = 1; i < samples.size(); ++i) {
        QCollatorSortKey key = keyOf(collator, QString::fromLatin1(samples[i]));
        if (previous.compare(key) >= 0) return ranks;
        previous = std::move(key);
    }
    ranks->usable = true;
    return ranks;
}

// One ranking per locale for the whole process: it takes a few thousand
// collations to make.
const Ranks* ranksFor(const QCollator& collator) {
    static std::mutex mutex;
    static std::map<QString, std::unique_ptr<Ranks>> byLocale;
    const std::lock_guard lock(mutex);
    std::unique_ptr<Ranks>& ranks = byLocale[collator.locale().name()];
    if (!ranks) ranks = rankAscii(collator);
    return ranks.get();
}

} // namespace

NameOrder::NameOrder(const QLocale& locale) : collator_(locale) {
    collator_.setCaseSensitivity(Qt::CaseInsensitive);
    ranks_ = ranksFor(collator_);
}

void NameOrder::sort(std::vector<std::string>& names) const {
    if (names.size() < 2 || sortByAsciiRanks(names)) return;
    sortByKeys(names);
}

bool NameOrder::sortByAsciiRanks(std::vector<std::string>& names) const {
    if (!ranks_->usable || !std::all_of(names.begin(), names.end(), isPrintableAscii)) return false;
    std::sort(names.begin(), names.end(), [this](const std::string& a, const std::string& b) {
        return rankLess(*ranks_, a, b);
    });
    return true;
}

void NameOrder::sortByKeys(std::vector<std::string>& names) const {
    std::vector<QCollatorSortKey> keys;
    keys.reserve(names.size());
    for (const std::string& name : names)
        keys.push_back(keyOf(collator_, displayText(name)));
    std::vector<size_t> order(names.size());
    std::iota(order.begin(), order.end(), size_t(0));
    std::sort(order.begin(), order.end(), [&](size_t a, size_t b) {
        const int byKey = keys[a].compare(keys[b]);
        return byKey != 0 ? byKey < 0 : names[a] < names[b];
    });
    std::vector<std::string> sorted;
    sorted.reserve(names.size());
    for (size_t index : order)
        sorted.push_back(std::move(names[index]));
    names = std::move(sorted);
}

} // namespace ferrolux
