#include "platform/ui/HelpWindow.h"

#include <QFileInfo>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

namespace ferrolux {

HelpWindow::HelpWindow(QWidget* parent) : QWidget(parent, Qt::Window), browser_(new QTextBrowser) {
    setObjectName(QStringLiteral("HelpWindow"));
    setWindowTitle(QStringLiteral("Ferrolux Help"));
    browser_->setOpenExternalLinks(true);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(browser_);
    resize(720, 640);
}

void HelpWindow::showContents(const QString& path) {
    if (QFileInfo(path).isFile()) {
        browser_->setSource(QUrl::fromLocalFile(path));
        browser_->home();
    } else {
        browser_->setHtml(QStringLiteral("<h2>Help is not available</h2><p>The help file "
                                         "<code>%1</code> could not be found.</p>")
                              .arg(path.toHtmlEscaped()));
    }
    show();
    raise();
    activateWindow();
}

} // namespace ferrolux
