#include "WindowDriver.h"
#include "platform/MessageBoxA.h"

#include <QApplication>
#include <QFontMetrics>
#include <gtest/gtest.h>

namespace ferrolux {
namespace {

// A window manager draws the caption in the title bar, beside its icon and
// three buttons; a box sized for its short text alone would cut the caption.
TEST(MessageBox, AShortBoxIsWideEnoughForItsCaption) {
    const struct {
        const char* text;
        const char* caption;
        unsigned flags;
    } boxes[] = {
        {"No matches found", "Message", MB_OK | MB_ICONINFORMATION},
        {"x", "Regular Expression Error", MB_OK | MB_ICONWARNING},
        {"Bad archive", "Zip File Error", MB_OK},
        {"Go on?", "Warning", MB_YESNO | MB_ICONWARNING},
    };
    test::AnsweredBoxes answers;
    for (const auto& box : boxes)
        MessageBoxA(nullptr, QLatin1String(box.text), QLatin1String(box.caption), box.flags);
    ASSERT_EQ(answers.answered().size(), std::size(boxes));
    QFont title = QApplication::font();
    title.setBold(true);
    const QFontMetrics metrics(title);
    for (const auto& shown : answers.answered()) {
        // The frame's icon and buttons take some 110 pixels of any title bar.
        EXPECT_GE(shown.size.width(), metrics.horizontalAdvance(shown.caption) + 110)
            << shown.caption.toStdString();
    }
}

} // namespace
} // namespace ferrolux
