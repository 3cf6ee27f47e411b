#include "platform/ui/QtMessageBox.h"

#include "platform/MessageBoxA.h"

#include <QFontMetrics>
#include <QGridLayout>
#include <QMessageBox>
#include <QSpacerItem>
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

// Room in a title bar beside the caption: the window manager's icon and its
// buttons.
constexpr int TitleBarControls = 150;

// A box sized for a short text is narrower than its caption in the window
// manager's title bar, which would cut it: the box is made wide enough.
void fitCaption(QMessageBox& box) {
    auto* grid = qobject_cast<QGridLayout*>(box.layout());
    if (!grid) return;
    QFont title = box.font();
    title.setBold(true);
    const int width = QFontMetrics(title).horizontalAdvance(box.windowTitle()) + TitleBarControls;
    grid->addItem(new QSpacerItem(width, 0), grid->rowCount(), 0, 1, grid->columnCount());
}

int showBox(QObject* owner, const QString& text, const QString& caption, unsigned flags) {
    const bool yesNo = (flags & 0xF) == MB_YESNO;
    QMessageBox box(iconFor(flags), caption, text,
                    yesNo ? QMessageBox::Yes | QMessageBox::No : QMessageBox::Ok,
                    qobject_cast<QWidget*>(owner));
    fitCaption(box);
    const int answer = box.exec();
    if (!yesNo) return IDOK;
    return answer == QMessageBox::Yes ? IDYES : IDNO;
}

} // namespace

void installQtMessageBoxes() {
    setMessageBoxHandler(showBox);
}

} // namespace ferrolux
