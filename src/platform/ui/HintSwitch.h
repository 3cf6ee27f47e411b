#pragma once

#include <QObject>

namespace ferrolux {

// The application-wide tool tip switch: while it is off, no window of the
// application shows a tool tip.
class HintSwitch : public QObject {
    Q_OBJECT
public:
    // The one switch of the application, installed on first use.
    static HintSwitch& instance();

    bool hintsShown() const { return shown_; }
    void setHintsShown(bool shown) { shown_ = shown; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    HintSwitch();
    bool shown_ = true;
};

} // namespace ferrolux
