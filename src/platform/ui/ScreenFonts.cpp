#include "platform/ui/ScreenFonts.h"

#include <QFontDatabase>
#include <QGuiApplication>
#include <QScreen>

namespace ferrolux {
namespace {

QFont installedFace(const QString& family, QFont::StyleHint kind) {
    if (QFontDatabase::hasFamily(family)) return QFont(family);
    QFont font = QFontDatabase::systemFont(kind == QFont::Monospace ? QFontDatabase::FixedFont
                                                                    : QFontDatabase::GeneralFont);
    font.setStyleHint(kind);
    return font;
}

} // namespace

QFont screenFont(const QString& family, int pointSize, QFont::StyleHint kind) {
    QFont font = installedFace(family, kind);
    if (pointSize > 0) font.setPointSize(pointSize);
    return font;
}

QFont screenFontPixels(const QString& family, int pixelSize, QFont::StyleHint kind) {
    QFont font = installedFace(family, kind);
    font.setPixelSize(pixelSize);
    return font;
}

QSize primaryScreenSize() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->geometry().size() : QSize();
}

QSize usableScreenSize() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry().size() : QSize();
}

} // namespace ferrolux
