#include "search/DateDisplay.h"

#include <QDateTime>
#include <algorithm>
#include <ctime>

namespace ferrolux {
namespace {

const QString kMonthFirst = QStringLiteral("mm/dd/yyyy  h:mm");
const QString kDayFirst = QStringLiteral("dd/mm/yyyy  h:mm");
const QString kYearFirst = QStringLiteral("yyyy/mm/dd  h:mm");
const QString kAmPm = QStringLiteral("am/pm");

// The separator of a format: its first character that is neither a letter,
// a blank nor quoted text ("d MMM yyyy" has none, so the fallback is used).
QChar separatorOf(const QString& format, QChar fallback) {
    bool quoted = false;
    for (QChar c : format) {
        if (c == QLatin1Char('\''))
            quoted = !quoted;
        else if (!quoted && !c.isLetter() && !c.isSpace())
            return c;
    }
    return fallback;
}

// A 12-hour clock is a time format with an AM/PM field ("AP", "ap", "A" or
// "a" outside quoted text).
bool usesTwelveHourClock(const QLocale& locale) {
    bool quoted = false;
    for (QChar c : locale.timeFormat(QLocale::ShortFormat)) {
        if (c == QLatin1Char('\''))
            quoted = !quoted;
        else if (!quoted && (c == QLatin1Char('a') || c == QLatin1Char('A')))
            return true;
    }
    return false;
}

QString twoDigits(int n) {
    return QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0'));
}

struct LocalTime {
    QDate date;
    QTime time;
};

// The C library's conversion: a row of the file list is made for each file
// that matches, and QDateTime's own costs a hundred times more.
LocalTime localTimeOf(int64_t secondsSinceEpoch) {
    const time_t when = time_t(secondsSinceEpoch);
    struct tm parts {};
    if (when != secondsSinceEpoch || !::localtime_r(&when, &parts)) {
        const QDateTime far = QDateTime::fromSecsSinceEpoch(secondsSinceEpoch);
        return {far.date(), far.time()};
    }
    return {QDate(parts.tm_year + 1900, parts.tm_mon + 1, parts.tm_mday),
            QTime(parts.tm_hour, parts.tm_min, std::min(parts.tm_sec, 59))};
}

} // namespace

QString chooseDateDisplayFormat(const QLocale& locale) {
    const QString date = locale.dateFormat(QLocale::ShortFormat);
    const QChar first = date.isEmpty() ? QChar() : date.front().toUpper();
    QString format;
    if (first == QLatin1Char('M'))
        format = kMonthFirst;
    else if (first == QLatin1Char('D'))
        format = kDayFirst;
    else
        format = kYearFirst; // also for patterns that start otherwise: unambiguous
    if (usesTwelveHourClock(locale)) format += kAmPm;
    return format;
}

QString formatDateTime(int64_t secondsSinceEpoch, const QString& dateDisplayFormat,
                       const QLocale& locale) {
    const LocalTime local = localTimeOf(secondsSinceEpoch);
    if (!local.date.isValid()) return {}; // no calendar reaches it: no date beats a wrong one
    const QDate& d = local.date;
    const QTime& t = local.time;
    const QChar ds = separatorOf(locale.dateFormat(QLocale::ShortFormat), QLatin1Char('/'));
    const QChar ts = separatorOf(locale.timeFormat(QLocale::ShortFormat), QLatin1Char(':'));

    const QString mm = twoDigits(d.month()), dd = twoDigits(d.day());
    const QString yyyy = QStringLiteral("%1").arg(d.year(), 4, 10, QLatin1Char('0'));
    QString date;
    if (dateDisplayFormat.startsWith(kMonthFirst.left(10)))
        date = mm + ds + dd + ds + yyyy;
    else if (dateDisplayFormat.startsWith(kDayFirst.left(10)))
        date = dd + ds + mm + ds + yyyy;
    else
        date = yyyy + ds + mm + ds + dd;

    const bool twelveHour = dateDisplayFormat.endsWith(kAmPm);
    int hour = t.hour();
    if (twelveHour) hour = hour % 12 == 0 ? 12 : hour % 12;
    QString time = QString::number(hour) + ts + twoDigits(t.minute());
    if (twelveHour) time += t.hour() < 12 ? QStringLiteral("am") : QStringLiteral("pm");
    return date + QStringLiteral("  ") + time;
}

} // namespace ferrolux
