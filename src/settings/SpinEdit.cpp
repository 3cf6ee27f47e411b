#include "settings/SpinEdit.h"

#include <algorithm>

namespace ferrolux {
namespace {

// More digits than any limit needs, few enough never to overflow.
constexpr int longestNumber = 9;

bool isDigits(const QString& text) {
    return std::all_of(text.begin(), text.end(), [](QChar c) { return c.isDigit(); });
}

} // namespace

SpinEdit::SpinEdit(QWidget* parent) : QSpinBox(parent) {
    setCorrectionMode(CorrectToNearestValue);
}

QValidator::State SpinEdit::validate(QString& text, int&) const {
    const QString typed = text.trimmed();
    if (typed.isEmpty()) return QValidator::Intermediate;
    if (typed.size() > longestNumber || !isDigits(typed)) return QValidator::Invalid;
    const int number = typed.toInt();
    return number >= minimum() && number <= maximum() ? QValidator::Acceptable
                                                      : QValidator::Intermediate;
}

void SpinEdit::fixup(QString& text) const {
    bool isNumber = false;
    const int typed = text.trimmed().toInt(&isNumber);
    text = QString::number(isNumber ? std::clamp(typed, minimum(), maximum()) : minimum());
}

} // namespace ferrolux
