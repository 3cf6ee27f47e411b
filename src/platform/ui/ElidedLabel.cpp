#include "platform/ui/ElidedLabel.h"

#include <QEvent>
#include <QFontMetrics>

namespace ferrolux {

ElidedLabel::ElidedLabel(QWidget* parent) : QLabel(parent) {
    setTextFormat(Qt::PlainText);
    // It takes the width it is given, not the width of its whole text.
    setMinimumWidth(1);
}

void ElidedLabel::setParts(const QString& lead, const QString& path, const QString& tail) {
    lead_ = lead;
    path_ = path;
    tail_ = tail;
    setToolTip(fullText());
    fit();
}

void ElidedLabel::resizeEvent(QResizeEvent* event) {
    QLabel::resizeEvent(event);
    fit();
}

void ElidedLabel::changeEvent(QEvent* event) {
    QLabel::changeEvent(event);
    if (event->type() == QEvent::FontChange) fit();
}

void ElidedLabel::fit() {
    const QFontMetrics metrics(font());
    const int room = contentsRect().width() - metrics.horizontalAdvance(lead_ + tail_);
    setText(lead_ + metrics.elidedText(path_, Qt::ElideMiddle, std::max(room, 0)) + tail_);
}

} // namespace ferrolux
