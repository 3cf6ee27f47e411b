#include "app/Startup.h"

#include "platform/MessageBoxA.h"

#include <QCoreApplication>
#include <QFileInfo>

namespace ferrolux {
namespace {

const char* const helpDocumentName = "ferrolux-help.html";

} // namespace

bool refuseSmallScreen(QSize screen, QSize usable) {
    if (screen.width() != 640) return false;
    MessageBoxA(nullptr,
                QStringLiteral("Ferrolux has detected that your\r\ndesktop offers %1 x %2 for its "
                               "window.\r\nIt requires 800 x 600 or more to run.\r\nPlease "
                               "change the resolution or the\r\nscale in the display settings, "
                               "then\r\nstart the program again.")
                    .arg(usable.width())
                    .arg(usable.height()),
                QStringLiteral("Ferrolux"), MB_OK);
    return true;
}

QString helpDocumentPath() {
    const QString programFolder = QCoreApplication::applicationDirPath();
    const QString beside = programFolder + QLatin1Char('/') + QLatin1String(helpDocumentName);
    if (QFileInfo::exists(beside)) return beside;
    return QFileInfo(programFolder + QStringLiteral("/../share/ferrolux/") +
                     QLatin1String(helpDocumentName))
        .absoluteFilePath();
}

} // namespace ferrolux
