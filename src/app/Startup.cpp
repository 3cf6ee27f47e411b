#include "app/Startup.h"

#include "platform/MessageBoxA.h"

#include <QCoreApplication>
#include <QFileInfo>

namespace ferrolux {
namespace {

const char* const helpDocumentName = "ferrolux-help.html";

} // namespace

bool refuseScreenWidth(int screenWidth) {
    if (screenWidth != 640) return false;
    MessageBoxA(nullptr,
                QStringLiteral(
                    "Ferrolux has detected that your video resolution\r\nis set to 640 x 480.  It "
                    "requires the resolution to be set at 800 x 600 \r\nor higher in order to "
                    "run.  Please change your resolution using\r\nControl "
                    "Panel/Display/Settings then start the program again."),
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
