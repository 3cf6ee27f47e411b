#pragma once

#include <QLabel>

namespace ferrolux {

// A one-line label of a lead text, a path and a tail, that shortens the path
// in its middle ("/home/…/notes.txt") when the whole does not fit its width,
// keeping the lead and the tail whole; the whole text is its tool tip.
class ElidedLabel : public QLabel {
    Q_OBJECT
public:
    explicit ElidedLabel(QWidget* parent = nullptr);

    void setParts(const QString& lead, const QString& path, const QString& tail = {});
    // lead + path + tail.
    QString fullText() const { return lead_ + path_ + tail_; }

protected:
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void fit();

    QString lead_;
    QString path_;
    QString tail_;
};

} // namespace ferrolux
