#include "platform/ui/HintSwitch.h"

#include <QCoreApplication>
#include <QEvent>

namespace ferrolux {

HintSwitch::HintSwitch() {
    QCoreApplication::instance()->installEventFilter(this);
}

HintSwitch& HintSwitch::instance() {
    static HintSwitch* theSwitch = new HintSwitch;
    return *theSwitch;
}

bool HintSwitch::eventFilter(QObject* watched, QEvent* event) {
    if (!shown_ && event->type() == QEvent::ToolTip) return true;
    return QObject::eventFilter(watched, event);
}

} // namespace ferrolux
