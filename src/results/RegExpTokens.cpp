#include "results/RegExpTokens.h"

namespace ferrolux {

const std::array<const char*, 13>& regExpEntries() {
    static const std::array<const char*, 13> entries = {
        "^ : Start of line",
        "$ : End of line",
        ". : Any character",
        "* : 0 or more occurrences",
        "+ : 1 or more occurrences",
        "[] : Any character in group",
        "[^] : Exclude characters in group",
        "- : Optional match",
        "\\ : Literal character",
        "| : Or",
        "& : And",
        "\\< : Beginning of word",
        "\\> : End of word",
    };
    return entries;
}

QString regExpToken(const QString& entry) {
    const qsizetype blank = entry.indexOf(QLatin1Char(' '));
    return blank < 0 ? entry : entry.left(blank);
}

} // namespace ferrolux
