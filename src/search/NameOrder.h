#pragma once

#include <QCollator>
#include <QLocale>
#include <string>
#include <vector>

namespace ferrolux {

// The order of the names within one directory: the locale's collation
// without regard to letter case, names that still compare equal (such as
// "README" and "readme") in byte order. Names that are not UTF-8 are
// collated as Windows-1252 text, so every name has one fixed place.
class NameOrder {
public:
    explicit NameOrder(const QLocale& locale = QLocale::system());

    // Each name is collated once (a sort key), not once per comparison. A
    // directory of plain ASCII names, the common case, is ordered by the
    // collation's own ranking of the ASCII characters when the locale's
    // rules let that stand for it (no contractions such as "ch", nothing
    // ignored).
    void sort(std::vector<std::string>& names) const;

    struct AsciiRanks;
    bool fast() const;

private:
    bool sortByAsciiRanks(std::vector<std::string>& names) const;
    void sortByKeys(std::vector<std::string>& names) const;

    QCollator collator_;
    const AsciiRanks* ranks_;
};

} // namespace ferrolux
