#include "app/TfrmSplash.h"

#include "app/Pictures.h"

#include <QApplication>
#include <QFrame>
#include <QLabel>

namespace ferrolux {

TfrmSplash::TfrmSplash(QWidget* parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint) {
    setObjectName(QStringLiteral("frmSplash"));
    setFixedSize(400, 157);
    auto* panel = new QFrame(this);
    panel->setObjectName(QStringLiteral("Panel1"));
    panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    panel->setLineWidth(1);
    panel->setGeometry(0, 0, 400, 157);
    auto* picture = new QLabel(panel);
    picture->setObjectName(QStringLiteral("Image1"));
    picture->setGeometry(2, 2, 396, 153);
    picture->setScaledContents(true);
    picture->setPixmap(splashPicture(QSize(396, 153)));
}

void TfrmSplash::showCentred(QSize screen) {
    move(screen.width() / 2 - width() / 2, screen.height() / 2 - height() / 2);
    show();
    repaint();
    QApplication::processEvents();
}

} // namespace ferrolux
