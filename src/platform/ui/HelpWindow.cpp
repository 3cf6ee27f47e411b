#include "platform/ui/HelpWindow.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <QScreen>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>
#include <algorithm>

namespace ferrolux {
namespace {

constexpr QSize designedSize(720, 640);
// The most a window manager's frame takes: a caption and thin borders.
constexpr QSize frameAllowance(16, 48);

} // namespace

HelpWindow::HelpWindow(QWidget* parent) : QWidget(parent, Qt::Window), browser_(new QTextBrowser) {
    setObjectName(QStringLiteral("HelpWindow"));
    setWindowTitle(QStringLiteral("Ferrolux Help"));
    browser_->setOpenExternalLinks(true);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(browser_);
    resize(designedSize);
}

// Smaller screens get a window that fits inside them with its frame.
void HelpWindow::fitScreen() {
    const QScreen* shown = screen() ? screen() : QGuiApplication::primaryScreen();
    if (!shown) return;
    const QRect room = shown->availableGeometry();
    const QSize fitting(std::min(designedSize.width(), room.width() - frameAllowance.width()),
                        std::min(designedSize.height(), room.height() - frameAllowance.height()));
    resize(fitting);
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
    fitScreen();
    show();
    raise();
    activateWindow();
}

} // namespace ferrolux
