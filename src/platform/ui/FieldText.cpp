#include "platform/ui/FieldText.h"

namespace ferrolux {
namespace {

constexpr int tabStop = 8;
const QChar blank = QLatin1Char(' ');

// Never ends between the two halves of a surrogate pair.
qsizetype keepPairsWhole(QStringView text, qsizetype length) {
    if (length > 1 && length < text.size() && text[length - 1].isHighSurrogate()) return length - 1;
    return length;
}

// The longest start of text that fits, but at least one character, so that
// every line makes progress.
qsizetype fittingPrefix(QStringView text, double width, const TextMeasure& measure) {
    qsizetype low = 1;
    qsizetype high = text.size();
    while (low < high) {
        const qsizetype middle = (low + high + 1) / 2;
        if (measure(text.left(middle)) <= width)
            low = middle;
        else
            high = middle - 1;
    }
    return keepPairsWhole(text, low);
}

QString withoutTrailingBlanks(QStringView text) {
    qsizetype end = text.size();
    while (end > 0 && text[end - 1] == blank)
        --end;
    return text.left(end).toString();
}

QString elided(QStringView text, double width, const TextMeasure& measure) {
    if (measure(text) <= width) return text.toString();
    const auto cut = [&](qsizetype length) {
        return withoutTrailingBlanks(text.left(keepPairsWhole(text, length))) + fieldEllipsis;
    };
    qsizetype low = 0;
    qsizetype high = text.size() - 1;
    while (low < high) {
        const qsizetype middle = (low + high + 1) / 2;
        if (measure(cut(middle)) <= width)
            low = middle;
        else
            high = middle - 1;
    }
    return cut(low);
}

qsizetype skipBlanks(QStringView text, qsizetype from) {
    while (from < text.size() && text[from] == blank)
        ++from;
    return from;
}

} // namespace

QString printableText(const QString& text) {
    QString shown;
    shown.reserve(text.size());
    qsizetype column = 0;
    for (const QChar c : text) {
        if (c == QLatin1Char('\t')) {
            do {
                shown += blank;
            } while (++column % tabStop != 0);
            continue;
        }
        shown += (c.unicode() < 32 || c.unicode() == 127) ? blank : c;
        if (!c.isLowSurrogate()) ++column;
    }
    return shown;
}

std::vector<QString> fitLines(const QString& text, double width, int maxLines,
                              const TextMeasure& measure) {
    std::vector<QString> lines;
    const QStringView all(text);
    qsizetype position = 0;
    while (position < all.size() && int(lines.size()) < maxLines) {
        const QStringView rest = all.mid(position);
        if (int(lines.size()) == maxLines - 1) {
            lines.push_back(elided(rest, width, measure));
            break;
        }
        const qsizetype fitting = fittingPrefix(rest, width, measure);
        if (fitting == rest.size()) {
            lines.push_back(rest.toString());
            break;
        }
        const qsizetype wordBreak = rest.left(fitting + 1).lastIndexOf(blank);
        const qsizetype lineEnd = wordBreak > 0 ? wordBreak : fitting;
        lines.push_back(withoutTrailingBlanks(rest.left(lineEnd)));
        position = skipBlanks(all, position + lineEnd);
    }
    return lines;
}

bool isNumber(QStringView text) {
    if (text.isEmpty()) return false;
    for (const QChar c : text)
        if (c < QLatin1Char('0') || c > QLatin1Char('9')) return false;
    return true;
}

double columnsOf(QStringView text) {
    qsizetype columns = 0;
    for (const QChar c : text)
        if (!c.isLowSurrogate()) ++columns;
    return double(columns);
}

} // namespace ferrolux
