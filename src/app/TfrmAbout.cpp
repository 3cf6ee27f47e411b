#include "app/TfrmAbout.h"

#include "app/Pictures.h"

#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>

namespace ferrolux {
namespace {

QLabel* boldLabel(QWidget* parent, const QString& name, const QString& text, int pixelSize) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    QFont font = label->font();
    font.setBold(true);
    font.setPixelSize(pixelSize);
    label->setFont(font);
    label->adjustSize();
    return label;
}

} // namespace

TfrmAbout::TfrmAbout(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("About"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    setFixedSize(367, 181);
    setAutoFillBackground(true);
    QPalette colours = palette();
    colours.setColor(QPalette::Window, Qt::cyan);
    colours.setColor(QPalette::WindowText, Qt::black);
    setPalette(colours);

    auto* icon = new QLabel(this);
    icon->setObjectName(QStringLiteral("imgIcon"));
    icon->setPixmap(QPixmap::fromImage(applicationIconImage(64)));
    icon->setGeometry(24, 24, 64, 64);

    QLabel* title = boldLabel(this, QStringLiteral("lblTitle"), QStringLiteral("Ferrolux"), 28);
    QPalette navy = title->palette();
    navy.setColor(QPalette::WindowText, QColor(0, 0, 128));
    title->setPalette(navy);
    title->move(112, 26);
    boldLabel(this, QStringLiteral("lblVersion"), QStringLiteral("Version 2.2"), 14)->move(114, 70);

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("cmdOK"));
    ok->setDefault(true);
    ok->setGeometry(146, 132, 75, 28);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->geometry();
        move(area.center() - rect().center());
    }
}

} // namespace ferrolux
