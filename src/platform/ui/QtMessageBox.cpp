#include "platform/ui/QtMessageBox.h"

#include "platform/MessageBoxA.h"

#include <QMessageBox>
#include <QWidget>

namespace ferrolux {
namespace {

QMessageBox::Icon iconFor(unsigned flags) {
    switch (flags & 0xF0) {
    case MB_ICONHAND:
        return QMessageBox::Critical;
    case MB_ICONQUESTION:
        return QMessageBox::Question;
    case MB_ICONEXCLAMATION:
        return QMessageBox::Warning;
    case MB_ICONINFORMATION:
        return QMessageBox::Information;
    default:
        return QMessageBox::NoIcon;
    }
}

int showBox(QObject* owner, const QString& text, const QString& caption, unsigned flags) {
    const bool yesNo = (flags & 0xF) == MB_YESNO;
    QMessageBox box(iconFor(flags), caption, text,
                    yesNo ? QMessageBox::Yes | QMessageBox::No : QMessageBox::Ok,
                    qobject_cast<QWidget*>(owner));
    const int answer = box.exec();
    if (!yesNo) return IDOK;
    return answer == QMessageBox::Yes ? IDYES : IDNO;
}

} // namespace

void installQtMessageBoxes() {
    setMessageBoxHandler(showBox);
}

} // namespace ferrolux
