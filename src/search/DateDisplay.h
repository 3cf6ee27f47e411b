#pragma once

#include <QLocale>
#include <QString>
#include <cstdint>

namespace ferrolux {

// The Date/Time column pattern chosen from a locale: "mm/dd/yyyy  h:mm",
// "dd/mm/yyyy  h:mm" or "yyyy/mm/dd  h:mm", with "am/pm" appended for a
// 12-hour clock; year first when the short date pattern starts otherwise.
QString chooseDateDisplayFormat(const QLocale& locale);

// A time (seconds since the epoch, shown in local time) in that pattern, with
// the locale's date and time separators: the first character of its short
// date (time) format that is neither a letter, a blank nor quoted text, else
// "/" (":").
QString formatDateTime(int64_t secondsSinceEpoch, const QString& dateDisplayFormat,
                       const QLocale& locale);

} // namespace ferrolux
