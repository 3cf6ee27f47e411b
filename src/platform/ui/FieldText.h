#pragma once

#include <QString>
#include <QStringView>
#include <functional>
#include <vector>

namespace ferrolux {

// The ellipsis that ends a text cut short at the edge of its field.
inline constexpr QChar fieldEllipsis = QChar(0x2026);

// Text as a report field shows it: tabs expanded to stops every eight
// characters, every other control character shown as a blank (a line break
// or form feed inside a file name must not break the page apart).
QString printableText(const QString& text);

using TextMeasure = std::function<double(QStringView)>;

// The lines a field of the given width shows: the text wrapped at blanks (a
// word wider than the field is broken inside), at most maxLines lines. When
// text is left over, the last line is cut and ends with the ellipsis, so a
// field never grows and never hides that it was cut.
std::vector<QString> fitLines(const QString& text, double width, int maxLines,
                              const TextMeasure& measure);

// A count, a size or a line number: digits only. A number is never cut,
// since a cut number reads as a different, smaller one.
bool isNumber(QStringView text);

// Measure of plain text: one column per character.
double columnsOf(QStringView text);

} // namespace ferrolux
