#include "app/TfrmSplash.h"

#include "app/Pictures.h"

#include <QEventLoop>
#include <QFrame>
#include <QLabel>
#include <QTimer>

namespace ferrolux {
namespace {

// How long a splash that is not painted is waited for.
constexpr int paintTimeoutMs = 1000;
// How often the waits look at the clock.
constexpr int pollMs = 5;

} // namespace

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
    QElapsedTimer waited;
    waited.start();
    runEventsUntil([&] { return painted_.isValid() || waited.elapsed() >= paintTimeoutMs; });
}

void TfrmSplash::stayPainted(int ms, const QElapsedTimer& since) {
    runEventsUntil([&] {
        if (since.elapsed() < ms) return false;
        return painted_.isValid() ? painted_.elapsed() >= ms : since.elapsed() >= paintTimeoutMs;
    });
}

void TfrmSplash::paintEvent(QPaintEvent* event) {
    if (!painted_.isValid()) painted_.start();
    QWidget::paintEvent(event);
}

// The window system's events (exposure, painting, timers) go on; the user's
// input waits until the main window is up.
void TfrmSplash::runEventsUntil(const std::function<bool()>& done) {
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (done()) loop.quit();
    });
    poll.start(pollMs);
    if (!done()) loop.exec(QEventLoop::ExcludeUserInputEvents);
}

} // namespace ferrolux
