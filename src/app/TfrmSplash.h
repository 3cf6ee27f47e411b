#pragma once

#include <QWidget>

class QLabel;

namespace ferrolux {

// The picture shown without a border while the main window is built.
class TfrmSplash : public QWidget {
    Q_OBJECT
public:
    explicit TfrmSplash(QWidget* parent = nullptr);

    // Centres the window on a screen of that size (each half truncated) and
    // paints it at once, before the main window is built.
    void showCentred(QSize screen);
};

} // namespace ferrolux
