#include "search/SearchRun.h"
#include "search/SearchState.h"

#include <QLocale>
#include <chrono>

namespace ferrolux {
namespace {

QString counted(int32_t n, const char* singular, const char* plural) {
    return QString::number(n) + QLatin1String(n == 1 ? singular : plural);
}

// One decimal, with the user's decimal separator but no digit grouping.
QString seconds(int64_t elapsedMs, const QLocale& locale) {
    QString text = QString::number(double(elapsedMs) / 1000.0, 'f', 1);
    return text.replace(QLatin1Char('.'), locale.decimalPoint());
}

} // namespace

QString searchSummary(const SearchState& state, int64_t elapsedMs, const QLocale& locale) {
    QString text = QStringLiteral(" Found ") + counted(state.TotalMatches, " match", " matches") +
                   QStringLiteral(" in ") + counted(state.FilesWithMatches, " file", " files") +
                   QStringLiteral(" of ") + QString::number(state.FilesSearched) +
                   QStringLiteral(" searched");
    if (state.Canceled) return text + QStringLiteral(" - search canceled");
    return text + QStringLiteral(" - elapsed time ") + seconds(elapsedMs, locale) +
           QStringLiteral(" seconds");
}

int64_t tickCount() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

} // namespace ferrolux
