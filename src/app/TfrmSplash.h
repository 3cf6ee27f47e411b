#pragma once

#include <QElapsedTimer>
#include <QWidget>
#include <functional>

class QLabel;

namespace ferrolux {

// The picture shown without a border while the main window is built.
class TfrmSplash : public QWidget {
    Q_OBJECT
public:
    explicit TfrmSplash(QWidget* parent = nullptr);

    // Centres the window on a screen of that size (each half truncated) and
    // lets the event loop run until it is painted, before the main window
    // is built.
    void showCentred(QSize screen);

    // Lets the event loop run (input aside) until the window has been on the
    // screen, painted, for at least ms milliseconds, and ms have passed
    // since the given start. A window that is never painted is waited for a
    // short while only.
    void stayPainted(int ms, const QElapsedTimer& since);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void runEventsUntil(const std::function<bool()>& done);

    QElapsedTimer painted_;
};

} // namespace ferrolux
