#pragma once

#include <QWidget>

class QTextBrowser;

namespace ferrolux {

// Shows the HTML help document in a window of its own, beside the program's
// windows (not modal), as a help viewer would.
class HelpWindow : public QWidget {
    Q_OBJECT
public:
    explicit HelpWindow(QWidget* parent = nullptr);

    // Opens the document at its contents (its top) and brings the window up.
    // A missing document is told in the window itself.
    void showContents(const QString& path);

    QTextBrowser* browser() const { return browser_; }

private:
    void fitScreen();

    QTextBrowser* browser_;
};

} // namespace ferrolux
