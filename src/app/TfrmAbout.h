#pragma once

#include <QDialog>

namespace ferrolux {

// The About box: name and version, closed by OK.
class TfrmAbout : public QDialog {
    Q_OBJECT
public:
    explicit TfrmAbout(QWidget* parent = nullptr);
};

} // namespace ferrolux
