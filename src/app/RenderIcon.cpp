// Build step: writes the application icon, drawn by the program itself, as
// PNG files for the desktop's icon theme.
#include "app/Pictures.h"

#include <QGuiApplication>
#include <QImage>
#include <cstdio>

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc < 3) {
        std::fprintf(stderr, "usage: ferrolux-icon SIZE FILE.png\n");
        return 2;
    }
    const int size = QByteArray(argv[1]).toInt();
    if (size <= 0 || !ferrolux::applicationIconImage(size).save(QString::fromLocal8Bit(argv[2])))
        return 1;
    return 0;
}
