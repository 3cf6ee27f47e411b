#pragma once

#include <QSpinBox>

namespace ferrolux {

// A number box that takes any number typed and puts it into its limits when
// it is left (or its text is read): a value above the maximum becomes the
// maximum, and an empty box, 0 or any value below the minimum becomes the
// minimum. A plain spin box refuses the keystroke that would pass the
// maximum and falls back to the previous value.
class SpinEdit : public QSpinBox {
    Q_OBJECT
public:
    explicit SpinEdit(QWidget* parent = nullptr);

protected:
    QValidator::State validate(QString& text, int& pos) const override;
    void fixup(QString& text) const override;
};

} // namespace ferrolux
