#include "app/Startup.h"

#include "MessageBoxRecorder.h"
#include "app/TfrmAbout.h"
#include "app/TfrmSplash.h"
#include "platform/ui/HelpWindow.h"
#include "platform/ui/HintSwitch.h"

#include <QApplication>
#include <QHelpEvent>
#include <QLabel>
#include <QPushButton>
#include <QTextBrowser>
#include <gtest/gtest.h>

namespace ferrolux {
namespace {

TEST(Startup, AScreenExactly640WideIsRefusedWithTheRoomItOffers) {
    struct Case {
        QSize screen, usable;
        bool refused;
    };
    for (const Case& c : {Case{{639, 480}, {639, 450}, false}, Case{{641, 480}, {641, 450}, false},
                          Case{{640, 480}, {640, 452}, true}, Case{{640, 512}, {640, 512}, true}}) {
        test::MessageBoxRecorder boxes;
        EXPECT_EQ(refuseSmallScreen(c.screen, c.usable), c.refused) << c.screen.width();
        ASSERT_EQ(boxes.boxes().size(), c.refused ? 1u : 0u);
        if (!c.refused) continue;
        EXPECT_EQ(boxes.boxes()[0].caption, QStringLiteral("Ferrolux"));
        EXPECT_EQ(boxes.boxes()[0].flags, unsigned(MB_OK));
        EXPECT_TRUE(boxes.boxes()[0].text.startsWith(
            QStringLiteral(
                "Ferrolux has detected that your\r\ndesktop offers %1 x %2 for its window.")
                .arg(c.usable.width())
                .arg(c.usable.height())))
            << boxes.boxes()[0].text.toStdString();
    }
}

TEST(Startup, SplashIsCentredWithHalvesTruncated) {
    TfrmSplash splash;
    splash.showCentred(QSize(1025, 769));
    EXPECT_EQ(splash.size(), QSize(400, 157));
    EXPECT_EQ(splash.pos(), QPoint(512 - 200, 384 - 78));
}

TEST(Startup, AboutBoxShowsNameAndVersion) {
    TfrmAbout about;
    EXPECT_EQ(about.windowTitle(), QStringLiteral("About"));
    EXPECT_EQ(about.size(), QSize(367, 181));
    EXPECT_EQ(about.findChild<QLabel*>(QStringLiteral("lblTitle"))->text(),
              QStringLiteral("Ferrolux"));
    EXPECT_EQ(about.findChild<QLabel*>(QStringLiteral("lblVersion"))->text(),
              QStringLiteral("Version 2.2"));
    auto* ok = about.findChild<QPushButton*>(QStringLiteral("cmdOK"));
    ASSERT_NE(ok, nullptr);
    EXPECT_TRUE(ok->isDefault());
    about.show();
    ok->click();
    EXPECT_FALSE(about.isVisible());
    EXPECT_EQ(about.result(), QDialog::Accepted);
}

// Counts the tool tip requests that reach a widget.
class ToolTipCounter : public QObject {
public:
    int count = 0;
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::ToolTip) ++count;
        return false;
    }
};

TEST(HintSwitch, ToolTipsFollowTheApplicationWideSwitch) {
    QLabel widget(QStringLiteral("x"));
    widget.setToolTip(QStringLiteral("a hint"));
    ToolTipCounter counter;
    widget.installEventFilter(&counter);
    const auto ask = [&] {
        QHelpEvent help(QEvent::ToolTip, QPoint(5, 5), QPoint(5, 5));
        QApplication::sendEvent(&widget, &help);
    };
    ask();
    EXPECT_EQ(counter.count, 1);
    HintSwitch::instance().setHintsShown(false);
    ask();
    EXPECT_EQ(counter.count, 1);
    HintSwitch::instance().setHintsShown(true);
    ask();
    EXPECT_EQ(counter.count, 2);
}

TEST(HelpWindow, OpensTheDocumentAtItsContents) {
    HelpWindow help;
    help.showContents(QStringLiteral(FERROLUX_HELP_DOCUMENT));
    EXPECT_TRUE(help.isVisible());
    EXPECT_EQ(help.browser()->documentTitle(), QStringLiteral("Ferrolux Help"));
    EXPECT_TRUE(help.browser()->toPlainText().contains(QStringLiteral("The pattern language")));
}

TEST(HelpWindow, TellsWhenTheDocumentIsMissing) {
    HelpWindow help;
    help.showContents(QStringLiteral("/nonexistent/ferrolux-help.html"));
    EXPECT_TRUE(help.browser()->toPlainText().contains(QStringLiteral("could not be found")));
}

} // namespace
} // namespace ferrolux
