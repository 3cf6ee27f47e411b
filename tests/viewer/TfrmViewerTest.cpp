#include "viewer/TfrmViewer.h"

#include "FakeHost.h"
#include "TempDir.h"
#include "search/GrepEngine.h"
#include "search/MatchListing.h"

#include <QApplication>
#include <QClipboard>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QImage>
#include <QPointer>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QTimer>
#include <QWheelEvent>
#include <gtest/gtest.h>
#include <memory>
#include <qmath.h>

namespace ferrolux {
namespace {

using test::diskRow;
using test::FakeHost;
using test::TempDir;

class ViewerTest : public ::testing::Test {
protected:
    TempDir dir;
    FakeHost host;
    ViewerMatchTable table;

    ViewerTest() { host.pattern = "needle"; }

    std::unique_ptr<TfrmViewer> open(const std::string& name, const std::string& bytes,
                                     int32_t target = -1, const char* type = "T") {
        dir.write(name, bytes);
        host.row = diskRow(dir.path(), name, type, int64_t(bytes.size()));
        return show(target);
    }

    std::unique_ptr<TfrmViewer> show(int32_t target) {
        auto viewer = std::make_unique<TfrmViewer>(
            nullptr, host,
            ViewerRequest{host.row->fullPath(), QStringLiteral("File Viewer - x"), target}, table);
        viewer->show();
        waitUntilLoaded(*viewer);
        return viewer;
    }

    static void waitUntilLoaded(TfrmViewer& viewer) {
        QElapsedTimer waited;
        waited.start();
        while (!viewer.isLoaded() && waited.elapsed() < 60000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        ASSERT_TRUE(viewer.isLoaded());
    }

    // The runs of text drawn in the highlight colour, with their rows.
    static std::vector<std::pair<int64_t, QString>> colouredRuns(const TfrmViewer& viewer) {
        std::vector<std::pair<int64_t, QString>> runs;
        const ViewerTextView& text = *viewer.edtFile;
        for (int64_t row = 0; row < text.rowCount(); ++row)
            for (const auto& [start, length] : text.colouredRuns(row))
                runs.emplace_back(row, text.rowText(row).mid(start, length));
        return runs;
    }

    static QStringList colouredTexts(const TfrmViewer& viewer) {
        QStringList texts;
        for (const auto& run : colouredRuns(viewer))
            texts << run.second;
        return texts;
    }

    static std::vector<int64_t> colouredRows(const TfrmViewer& viewer) {
        std::vector<int64_t> rows;
        for (const auto& run : colouredRuns(viewer))
            rows.push_back(run.first);
        return rows;
    }

    // The rows as shown, one per line.
    static QString shownText(const TfrmViewer& viewer) {
        QStringList rows;
        for (int64_t row = 0; row < viewer.edtFile->rowCount(); ++row)
            rows << viewer.edtFile->rowText(row);
        return rows.join(QLatin1Char('\n'));
    }

    static int64_t caretRow(const TfrmViewer& viewer) {
        return viewer.edtFile->reader()->rowAt(viewer.edtFile->textCursor().position).number;
    }

    static int64_t rowStart(const TfrmViewer& viewer, int64_t row) {
        return viewer.edtFile->reader()->row(row)->start;
    }

    static int64_t firstVisibleRow(const TfrmViewer& viewer) {
        return viewer.edtFile->topLine().row;
    }

    static void putCaret(TfrmViewer& viewer, int64_t row) {
        viewer.edtFile->setCaretPosition(rowStart(viewer, row));
    }

    // The middle of a row on screen, in the text area's viewport.
    static QPoint pointOnRow(const TfrmViewer& viewer, int screenRow, int x = 6) {
        const int height = qCeil(QFontMetricsF(viewer.edtFile->font()).lineSpacing());
        return {x, 4 + screenRow * height + height / 2};
    }

    // The point on a row between the prefix's last character and the next:
    // measured, so that it holds for any font and any scale.
    static QPoint pointAfter(const TfrmViewer& viewer, int screenRow, const QString& prefix) {
        const qreal x = 4 + QFontMetricsF(viewer.edtFile->font()).horizontalAdvance(prefix);
        return pointOnRow(viewer, screenRow, qRound(x));
    }

    static void key(TfrmViewer& viewer, Qt::Key k, Qt::KeyboardModifiers modifiers = {}) {
        QTest::keyClick(viewer.edtFile, k, modifiers);
    }
};

std::string numberedLines(int count, const std::vector<int>& needleLines, const char* lineBreak) {
    std::string text;
    for (int line = 1; line <= count; ++line) {
        const bool hit =
            std::find(needleLines.begin(), needleLines.end(), line) != needleLines.end();
        text += "line " + std::to_string(line) + (hit ? " needle" : "") + lineBreak;
    }
    return text;
}

TEST_F(ViewerTest, TextModeColoursWholeMatchingLinesOfLfAndCrLfFiles) {
    for (const char* lineBreak : {"\n", "\r\n"}) {
        auto viewer = open("t.txt", numberedLines(10, {3, 5, 8}, lineBreak));
        EXPECT_EQ(colouredRows(*viewer), (std::vector<int64_t>{2, 4, 7}));
        EXPECT_EQ(colouredTexts(*viewer),
                  (QStringList{"line 3 needle", "line 5 needle", "line 8 needle"}));
        EXPECT_FALSE(viewer->edtFile->wordWrap());
        EXPECT_EQ(viewer->edtFile->rowCount(), 11);
        EXPECT_EQ(table.count, 3);
        EXPECT_FALSE(table.binaryMode);
    }
}

TEST_F(ViewerTest, LoneCarriageReturnsBreakRowsWhileTheEnginesLinesAreColouredWhole) {
    // Line 2 (the engine counts line feeds) holds a lone CR: it shows as two
    // rows, both coloured; U+2029 does not break its row.
    auto viewer = open("mixed.txt", "old\rmac\r\nneedle\rsame line\nx \xE2\x80\xA9 y\r\nlast\n");
    EXPECT_EQ(shownText(*viewer),
              QStringLiteral("old\nmac\nneedle\nsame line\nx \uFFFD y\nlast\n"));
    EXPECT_EQ(colouredRows(*viewer), (std::vector<int64_t>{2, 3}));
    EXPECT_EQ(colouredTexts(*viewer), (QStringList{"needle", "same line"}));
    ASSERT_EQ(table.count, 1);
    EXPECT_EQ(table.positions[0], 1);
    // Opened at line 2 from the match list: its first row.
    auto atMatch = show(2);
    EXPECT_EQ(caretRow(*atMatch), 2);
}

TEST_F(ViewerTest, FontAndColoursComeFromTheSettings) {
    host.config.ViewerFontName = QStringLiteral("DejaVu Sans Mono");
    host.config.ViewerFontSize = 9;
    host.config.ViewerTextColor = 0x00123456;
    auto viewer = open("t.txt", "needle\n");
    EXPECT_EQ(viewer->edtFile->font().family(), QStringLiteral("DejaVu Sans Mono"));
    EXPECT_EQ(viewer->edtFile->font().pointSize(), 9);
    EXPECT_EQ(viewer->edtFile->palette().color(QPalette::Text), QColor(0x56, 0x34, 0x12));
}

// Pixels of the text area within one row that are near a colour; top and
// bottom in the widget's units, read at the image's device pixel ratio.
int pixelsNear(const QImage& image, QColor colour, int top, int bottom) {
    const qreal ratio = image.devicePixelRatio();
    int count = 0;
    for (int y = std::max(0, qFloor(top * ratio));
         y < std::min(qCeil(bottom * ratio), image.height()); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor pixel = image.pixelColor(x, y);
            if (std::abs(pixel.red() - colour.red()) < 60 &&
                std::abs(pixel.green() - colour.green()) < 60 &&
                std::abs(pixel.blue() - colour.blue()) < 60)
                ++count;
        }
    return count;
}

TEST_F(ViewerTest, MatchesArePaintedInTheHighlightColourAndTheRestInTheTextColour) {
    host.config.ViewerTextColor = 0x00FF0000; // blue
    host.config.ViewerHighColor = 0x0000C000; // green
    auto viewer = open("t.txt", "plain words here\nthe needle line\nplain again\n");
    const QImage image = viewer->edtFile->viewport()->grab().toImage();
    const int height = qCeil(QFontMetricsF(viewer->edtFile->font()).lineSpacing());
    const auto band = [&](int row, QColor colour) {
        return pixelsNear(image, colour, 4 + row * height, 4 + (row + 1) * height);
    };
    const QColor green(0, 0xC0, 0), blue(0, 0, 0xFF);
    EXPECT_GT(band(1, green), 10);
    EXPECT_EQ(band(1, blue), 0);
    EXPECT_GT(band(0, blue), 10);
    EXPECT_EQ(band(0, green), 0);
    EXPECT_EQ(band(2, green), 0);
}

// A text in UTF-16 with its byte-order mark.
std::string utf16File(const std::string& utf8, bool bigEndian) {
    std::string bytes = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (const char16_t u : QString::fromUtf8(utf8).toStdU16String()) {
        const char high = char(u >> 8), low = char(u & 0xFF);
        bytes += bigEndian ? std::string{high, low} : std::string{low, high};
    }
    return bytes;
}

TEST_F(ViewerTest, Utf16FilesAreShownDecodedWithTheMatchListsLinesColoured) {
    host.config.ViewerHighColor = 0x0000C000; // green
    const std::string text = "premi\u00E8re ligne\r\nna\u00EFve needle \u2014 \u4E2D\u6587\r\n"
                             "plain\r\n\U0001F600 needle end\r\nlast";
    for (const bool bigEndian : {false, true}) {
        auto viewer = open("wide.txt", utf16File(text, bigEndian));
        EXPECT_EQ(shownText(*viewer), QStringLiteral("premi\u00E8re ligne\nna\u00EFve needle "
                                                     "\u2014 \u4E2D\u6587\nplain\n"
                                                     "\U0001F600 needle end\nlast"));
        EXPECT_EQ(colouredRows(*viewer), (std::vector<int64_t>{1, 3}));
        EXPECT_EQ(colouredTexts(*viewer),
                  (QStringList{QStringLiteral("na\u00EFve needle \u2014 \u4E2D\u6587"),
                               QStringLiteral("\U0001F600 needle end")}));
        const QImage image = viewer->edtFile->viewport()->grab().toImage();
        const int height = qCeil(QFontMetricsF(viewer->edtFile->font()).lineSpacing());
        EXPECT_GT(pixelsNear(image, QColor(0, 0xC0, 0), 4 + height, 4 + 2 * height), 10);
        EXPECT_EQ(pixelsNear(image, QColor(0, 0xC0, 0), 4 + 2 * height, 4 + 3 * height), 0);
        viewer->cmdNextClick();
        viewer->cmdNextClick();
        EXPECT_EQ(caretRow(*viewer), 3);
        // Opened from a row of the match list, the caret is on that row's line.
        GrepEngine engine;
        const std::vector<MatchLine> listed =
            listFileMatches(engine, *host.row, host.pattern, GrepFalse, 500, 300);
        ASSERT_EQ(listed.size(), 2u);
        for (const MatchLine& line : listed) {
            auto atLine = show(std::stoi(line.LineNumber));
            EXPECT_EQ(atLine->edtFile->rowText(caretRow(*atLine)),
                      QString::fromStdString(line.Text));
        }
    }
}

// One byte that is not UTF-8 leaves the rest of its row as it is, and the
// caret steps over each character whole.
TEST_F(ViewerTest, EachCharacterIsDecodedOnItsOwn) {
    auto viewer = open("mixed.txt", "caf\xC3\xA9 \xFF \xE6\x97\xA5\xE6\x9C\xAC needle\n");
    EXPECT_EQ(viewer->edtFile->rowText(0), QStringLiteral("caf\u00E9 \u00FF \u65E5\u672C needle"));
    EXPECT_EQ(colouredRows(*viewer), std::vector<int64_t>{0});
    std::vector<int64_t> stops;
    for (int i = 0; i < 9; ++i) {
        key(*viewer, Qt::Key_Right);
        stops.push_back(viewer->edtFile->textCursor().position);
    }
    EXPECT_EQ(stops, (std::vector<int64_t>{1, 2, 3, 5, 6, 7, 8, 11, 14}));
}

TEST_F(ViewerTest, FilesWithoutAUtf16MarkAtTheStartAreShownAsTheirBytes) {
    // The mark's bytes later in a Windows-1252 text, and a UTF-32 file.
    auto later = open("later.txt", "needle \xFF\xFE caf\xE9\nline two\n");
    EXPECT_EQ(shownText(*later), QStringLiteral("needle \u00FF\u00FE caf\u00E9\nline two\n"));
    EXPECT_EQ(colouredRows(*later), (std::vector<int64_t>{0}));
    const std::string utf32("\xFF\xFE\0\0n\0\0\0", 8);
    auto wide = open("utf32.txt", utf32);
    EXPECT_EQ(shownText(*wide), QString::fromLatin1(utf32.data(), qsizetype(utf32.size())));
}

TEST_F(ViewerTest, TheDefaultViewerFontShowsEveryCharacterEquallyWide) {
    // "Fixedsys" is rarely installed: whatever face stands in must be monospaced.
    auto viewer = open("t.txt", "iiii\nWWWW\n");
    const QFontMetricsF metrics(viewer->edtFile->font());
    EXPECT_EQ(metrics.horizontalAdvance(QLatin1Char('i')),
              metrics.horizontalAdvance(QLatin1Char('W')));
}

TEST_F(ViewerTest, WithoutATargetTheCaretStartsAtTheTop) {
    auto viewer = open("t.txt", numberedLines(300, {150}, "\n"));
    EXPECT_EQ(viewer->edtFile->textCursor().position, 0);
    EXPECT_FALSE(viewer->edtFile->textCursor().hasSelection());
    EXPECT_EQ(firstVisibleRow(*viewer), 0);
}

TEST_F(ViewerTest, ATextTargetBecomesTheFirstVisibleLine) {
    auto viewer = open("t.txt", numberedLines(300, {117}, "\n"), 117);
    EXPECT_EQ(caretRow(*viewer), 116);
    EXPECT_EQ(viewer->edtFile->textCursor().position, rowStart(*viewer, 116));
    EXPECT_FALSE(viewer->edtFile->textCursor().hasSelection());
    EXPECT_EQ(firstVisibleRow(*viewer), 116);
    // Near the end the view goes as far as the text allows.
    auto last = show(299);
    EXPECT_EQ(caretRow(*last), 298);
    EXPECT_LT(firstVisibleRow(*last), 298);
    EXPECT_EQ(last->edtFile->screenLineOf(last->edtFile->textCursor().position),
              298 - firstVisibleRow(*last));
    auto beyond = show(5000);
    EXPECT_EQ(caretRow(*beyond), 300);
}

TEST_F(ViewerTest, NextAndPreviousStopAtTheEndsWithoutWrapping) {
    auto viewer = open("t.txt", numberedLines(12, {3, 5, 8}, "\n"));
    std::vector<int64_t> visited;
    for (int i = 0; i < 4; ++i) {
        viewer->cmdNextClick();
        visited.push_back(caretRow(*viewer));
    }
    EXPECT_EQ(visited, (std::vector<int64_t>{2, 4, 7, 7}));
    visited.clear();
    for (int i = 0; i < 3; ++i) {
        viewer->cmdPrevClick();
        visited.push_back(caretRow(*viewer));
    }
    EXPECT_EQ(visited, (std::vector<int64_t>{4, 2, 2}));
    EXPECT_FALSE(viewer->edtFile->textCursor().hasSelection());
    EXPECT_TRUE(viewer->cmdPrev->isEnabled());
    EXPECT_TRUE(viewer->cmdNext->isEnabled());
}

TEST_F(ViewerTest, NextStartsFromWhereTheUserPutTheCaret) {
    auto viewer = open("t.txt", "needle needle\nx\nneedle\ny\nneedle\n");
    // Inside a coloured line with two matches: one stop, on to the next line.
    viewer->edtFile->setCaretPosition(9);
    viewer->cmdNextClick();
    EXPECT_EQ(caretRow(*viewer), 2);
    putCaret(*viewer, 3);
    viewer->cmdNextClick();
    EXPECT_EQ(caretRow(*viewer), 4);
    // A click on row 3 puts the caret there.
    QTest::mouseClick(viewer->edtFile->viewport(), Qt::LeftButton, {}, pointOnRow(*viewer, 3));
    EXPECT_EQ(caretRow(*viewer), 3);
    viewer->cmdPrevClick();
    EXPECT_EQ(caretRow(*viewer), 2);
}

TEST_F(ViewerTest, SteppingFromTheFirstVisibleLineKeepsTheTargetFirst) {
    auto viewer = open("t.txt", numberedLines(400, {50, 120, 390}, "\n"), 50);
    ASSERT_EQ(firstVisibleRow(*viewer), 49);
    viewer->cmdNextClick();
    EXPECT_EQ(caretRow(*viewer), 119);
    EXPECT_EQ(firstVisibleRow(*viewer), 119);
    viewer->cmdPrevClick();
    EXPECT_EQ(firstVisibleRow(*viewer), 49);
}

TEST_F(ViewerTest, AfterAStepTheCaretIsInSightAtTheMatchAndTheTextHasTheFocus) {
    auto viewer = open("t.txt", numberedLines(600, {300, 500}, "\n"));
    viewer->activateWindow();
    QApplication::setActiveWindow(viewer.get());
    // The caret at the top, the view scrolled far away from it.
    viewer->edtFile->setTopLine({550, 0});
    QTest::mouseClick(viewer->cmdNext, Qt::LeftButton);
    EXPECT_EQ(caretRow(*viewer), 299);
    EXPECT_TRUE(viewer->edtFile->screenLineOf(viewer->edtFile->textCursor().position).has_value());
    EXPECT_TRUE(viewer->edtFile->hasFocus());
    QTest::mouseClick(viewer->cmdNext, Qt::LeftButton);
    EXPECT_EQ(caretRow(*viewer), 499);
    EXPECT_TRUE(viewer->edtFile->screenLineOf(viewer->edtFile->textCursor().position).has_value());
    EXPECT_TRUE(viewer->edtFile->hasFocus());
}

TEST_F(ViewerTest, OnlyTheFirstMaxMatchesLinesAreColouredAndVisited) {
    host.config.MaxMatches = 2;
    auto viewer = open("t.txt", numberedLines(10, {2, 4, 6, 8}, "\n"));
    EXPECT_EQ(colouredRows(*viewer), (std::vector<int64_t>{1, 3}));
    for (int i = 0; i < 3; ++i)
        viewer->cmdNextClick();
    EXPECT_EQ(caretRow(*viewer), 3);
}

TEST_F(ViewerTest, TheCaseBoxAtViewingTimeDecides) {
    host.caseOn = false;
    auto viewer = open("t.txt", "Needle\nneedle\n");
    EXPECT_EQ(colouredRows(*viewer), (std::vector<int64_t>{0, 1}));
    host.caseOn = true;
    auto again = show(-1);
    EXPECT_EQ(colouredRows(*again), (std::vector<int64_t>{1}));
}

TEST_F(ViewerTest, BinaryModeColoursExactlyTheMatchedCharacters) {
    host.pattern = "key";
    const std::string bytes("\x01\x02key\0\r\nab\xE9key\r\nkey\x7F", 20);
    auto viewer = open("b.bin", bytes, -1, "B");
    EXPECT_EQ(shownText(*viewer), QStringLiteral("key\nabkey\nkey"));
    EXPECT_EQ(colouredTexts(*viewer), (QStringList{"key", "key", "key"}));
    EXPECT_TRUE(viewer->edtFile->wordWrap());
    ASSERT_EQ(table.count, 3);
    EXPECT_TRUE(table.binaryMode);
    // Offsets in the shown text "key\r\nabkey\r\nkey".
    EXPECT_EQ(table.positions[1], 7);
    EXPECT_EQ(table.positions[2], 12);
    viewer->cmdNextClick();
    EXPECT_EQ(viewer->edtFile->textCursor().position, 7);
    viewer->cmdNextClick();
    viewer->cmdNextClick();
    EXPECT_EQ(viewer->edtFile->textCursor().position, 12);
    viewer->cmdPrevClick();
    EXPECT_EQ(viewer->edtFile->textCursor().position, 7);
}

TEST_F(ViewerTest, BinaryModeColoursWhatTheEngineMatchedAndOpensAtTheChosenRow) {
    host.pattern = "\\<cat\\>"; // cat, whole words
    auto viewer = open("b.bin",
                       "\x01"
                       "concat cat cat",
                       1, "B");
    using Runs = std::vector<std::pair<qsizetype, qsizetype>>;
    EXPECT_EQ(viewer->edtFile->colouredRuns(0), (Runs{{7, 3}, {11, 3}}));
    EXPECT_EQ(viewer->edtFile->textCursor().position, 11);
}

TEST_F(ViewerTest, BinaryMaxMatchLenLetsExactlyThatLengthThrough) {
    host.pattern = "x+";
    host.config.MaxMatchLen = 3;
    auto viewer = open("b.bin", std::string("\x01xxx xxxx xx", 12), -1, "B");
    EXPECT_EQ(colouredTexts(*viewer), (QStringList{"xxx", "xx"}));
}

TEST_F(ViewerTest, BinaryWordProcessorDocumentsGetLineBreaks) {
    host.pattern = "two";
    auto viewer = open("doc.wpd",
                       std::string("\xFFWPC"
                                   "one\xCC\xCCtwo\x80three\xCF"),
                       -1, "B");
    EXPECT_EQ(shownText(*viewer), QStringLiteral("WPCone\ntwo three "));
    EXPECT_EQ(colouredTexts(*viewer), QStringList{"two"});
    host.pattern = "b";
    auto d0cf = open("doc.doc",
                     std::string("\xD0\xCF"
                                 "a\rb\r\nc"),
                     -1, "B");
    EXPECT_EQ(shownText(*d0cf), QStringLiteral("a\nb\n\nc"));
    EXPECT_EQ(colouredTexts(*d0cf), QStringList{"b"});
}

TEST_F(ViewerTest, ABinaryTargetPutsTheCaretAtThatMatchOrAtTheStart) {
    host.pattern = "key";
    auto viewer = open("b.bin", std::string("\x01 key key key", 13), 1, "B");
    EXPECT_EQ(viewer->edtFile->textCursor().position, 5);
    EXPECT_FALSE(viewer->edtFile->textCursor().hasSelection());
    // The match list may hold more rows than the viewer colours.
    table.positions[3] = 999; // a stale entry from an earlier viewer
    auto past = show(3);
    EXPECT_EQ(past->edtFile->textCursor().position, 0);
}

TEST_F(ViewerTest, BinaryModeReadsTheRecordedSizeOrWhatIsLeft) {
    host.pattern = "tail";
    dir.write("b.bin", std::string("\x01head tail", 10));
    host.row = diskRow(dir.path(), "b.bin", "B", 5); // the file grew since the search
    auto viewer = show(-1);
    EXPECT_EQ(shownText(*viewer), QStringLiteral("head"));
    EXPECT_EQ(table.count, 0);
    host.row->Size = 1000; // the file shrank since the search
    auto shrunk = show(-1);
    EXPECT_EQ(shownText(*shrunk), QStringLiteral("head tail"));
    EXPECT_EQ(colouredTexts(*shrunk), QStringList{"tail"});
}

// A file cut short (or grown) while it is shown: the viewer notices and
// shows what is there now, the caret kept as far as the text reaches.
TEST_F(ViewerTest, AFileThatChangesWhileShownIsShownAsItIsNow) {
    auto viewer = open("t.txt", numberedLines(300, {100, 250}, "\n"));
    ViewerTextView& text = *viewer->edtFile;
    putCaret(*viewer, 200);
    const std::string left = numberedLines(10, {4}, "\n");
    dir.write("t.txt", left); // in place: the same file, cut short
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return viewer->isLoaded() && text.rowCount() == 11; }, 10000));
    EXPECT_EQ(text.textCursor().position, int64_t(left.size()));
    EXPECT_EQ(colouredRows(*viewer), std::vector<int64_t>{3});
    EXPECT_EQ(text.verticalScrollBar()->maximum(), std::max(0, 11 - text.visibleLineCount()));
    key(*viewer, Qt::Key_Home, Qt::ControlModifier);
    key(*viewer, Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(text.textCursor().position, int64_t(left.size()));
    key(*viewer, Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(text.selectedText(), QString::fromStdString(left));
    // Grown: the new lines are shown too.
    dir.write("t.txt", left + "line 11 needle\n");
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return viewer->isLoaded() && text.rowCount() == 12; }, 10000));
    EXPECT_EQ(colouredRows(*viewer), (std::vector<int64_t>{3, 10}));
}

// Previous and Next bring the caret into sight sideways as well.
TEST_F(ViewerTest, SteppingToAMatchScrollsSidewaysToIt) {
    auto viewer = open("t.txt", std::string(3000, 'x') + "\nshort\nneedle one\nx\nneedle two\n");
    ViewerTextView& text = *viewer->edtFile;
    key(*viewer, Qt::Key_End);
    ASSERT_GT(text.horizontalScrollBar()->value(), 0);
    viewer->cmdNextClick();
    EXPECT_EQ(caretRow(*viewer), 2);
    EXPECT_EQ(text.horizontalScrollBar()->value(), 0);
    text.horizontalScrollBar()->setValue(text.horizontalScrollBar()->maximum());
    viewer->cmdNextClick();
    EXPECT_EQ(caretRow(*viewer), 4);
    EXPECT_EQ(text.horizontalScrollBar()->value(), 0);
}

TEST_F(ViewerTest, ATextFileThatShrankSinceTheSearchShowsWhatIsLeft) {
    // The search saw 40 lines, the match list line 30; 10 lines are left.
    dir.write("t.txt", numberedLines(10, {4}, "\n"));
    host.row = diskRow(dir.path(), "t.txt", "T", 4000);
    auto viewer = show(30);
    EXPECT_EQ(viewer->edtFile->rowCount(), 11);
    EXPECT_EQ(caretRow(*viewer), 10);
    EXPECT_EQ(colouredTexts(*viewer), QStringList{"line 4 needle"});
    viewer->cmdPrevClick();
    EXPECT_EQ(caretRow(*viewer), 3);
}

TEST_F(ViewerTest, AFileThatCannotBeOpenedIsExplainedInTheViewer) {
    for (const char* type : {"T", "B"}) {
        host.row = diskRow(dir.path(), "missing.txt", type, 10);
        auto viewer = show(3);
        const QString shown = shownText(*viewer);
        EXPECT_TRUE(shown.contains(QLatin1String("could not be read"))) << shown.toStdString();
        EXPECT_TRUE(shown.contains(QString::fromStdString(dir.file("missing.txt"))));
        EXPECT_EQ(table.count, 0);
        viewer->cmdNextClick();
        viewer->cmdPrevClick();
    }
}

TEST_F(ViewerTest, CaretAndSelectionMoveAcrossLinesWithTheKeys) {
    auto viewer = open("t.txt", "alpha\nbeta\r\ngamma\rdelta\n");
    ViewerTextView& text = *viewer->edtFile;
    key(*viewer, Qt::Key_Down, Qt::ShiftModifier);
    key(*viewer, Qt::Key_Down, Qt::ShiftModifier);
    EXPECT_EQ(text.selectedText(), QStringLiteral("alpha\nbeta\n"));
    key(*viewer, Qt::Key_End, Qt::ShiftModifier);
    EXPECT_EQ(text.selectedText(), QStringLiteral("alpha\nbeta\ngamma"));
    key(*viewer, Qt::Key_Right, Qt::ShiftModifier); // over the lone CR
    key(*viewer, Qt::Key_Right, Qt::ShiftModifier);
    EXPECT_EQ(text.selectedText(), QStringLiteral("alpha\nbeta\ngamma\nd"));
    key(*viewer, Qt::Key_Left); // ends the selection at its start
    EXPECT_FALSE(text.textCursor().hasSelection());
    EXPECT_EQ(text.textCursor().position, 0);
    key(*viewer, Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(caretRow(*viewer), 4);
    key(*viewer, Qt::Key_Left);
    EXPECT_EQ(text.textCursor().position, 23); // after "delta"
    key(*viewer, Qt::Key_Home);
    EXPECT_EQ(text.textCursor().position, 18);
    key(*viewer, Qt::Key_Up);
    key(*viewer, Qt::Key_Right, Qt::ShiftModifier | Qt::ControlModifier);
    EXPECT_EQ(text.selectedText(), QStringLiteral("gamma"));
    key(*viewer, Qt::Key_Home, Qt::ControlModifier);
    EXPECT_EQ(text.textCursor().position, 0);
    EXPECT_FALSE(text.textCursor().hasSelection());
}

TEST_F(ViewerTest, PageKeysMoveTheCaretAndTheViewByAScreen) {
    auto viewer = open("t.txt", numberedLines(500, {}, "\n"));
    ViewerTextView& text = *viewer->edtFile;
    const int page = text.visibleLineCount();
    key(*viewer, Qt::Key_PageDown);
    EXPECT_EQ(caretRow(*viewer), page);
    EXPECT_EQ(firstVisibleRow(*viewer), page);
    key(*viewer, Qt::Key_PageDown, Qt::ShiftModifier);
    EXPECT_EQ(caretRow(*viewer), 2 * page);
    EXPECT_EQ(text.textCursor().anchor, rowStart(*viewer, page));
    key(*viewer, Qt::Key_PageUp);
    EXPECT_EQ(caretRow(*viewer), page);
    EXPECT_FALSE(text.textCursor().hasSelection());
}

TEST_F(ViewerTest, DraggingSelectsAndCopyPutsTheSelectedTextOnTheClipboard) {
    auto viewer = open("t.txt", "first line\nsecond \xC3\xA9t\xC3\xA9\nthird line\n");
    QWidget* area = viewer->edtFile->viewport();
    QTest::mousePress(area, Qt::LeftButton, {}, pointAfter(*viewer, 0, QStringLiteral("first ")));
    QTest::mouseMove(area, pointAfter(*viewer, 2, QStringLiteral("third")));
    QTest::mouseRelease(area, Qt::LeftButton, {}, pointAfter(*viewer, 2, QStringLiteral("third")));
    EXPECT_EQ(viewer->edtFile->selectedText(), QStringLiteral("line\nsecond \u00E9t\u00E9\nthird"));
    QGuiApplication::clipboard()->clear();
    key(*viewer, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QGuiApplication::clipboard()->text(),
              QStringLiteral("line\nsecond \u00E9t\u00E9\nthird"));
    // A shift-click extends the selection from where it was anchored.
    QTest::mouseClick(area, Qt::LeftButton, Qt::ShiftModifier, pointOnRow(*viewer, 1, 2));
    EXPECT_EQ(viewer->edtFile->selectedText(), QStringLiteral("line\n"));
}

TEST_F(ViewerTest, TheWheelAndTheScrollBarsMoveTheView) {
    auto viewer = open("t.txt", numberedLines(200, {}, "\n") + std::string(400, 'w') + "\n");
    ViewerTextView& text = *viewer->edtFile;
    QScrollBar* vertical = text.verticalScrollBar();
    EXPECT_EQ(vertical->maximum(), 202 - text.visibleLineCount());
    QWheelEvent down(QPointF(20, 20), text.viewport()->mapToGlobal(QPointF(20, 20)), {},
                     QPoint(0, -120), Qt::NoButton, {}, Qt::NoScrollPhase, false);
    QApplication::sendEvent(text.viewport(), &down);
    EXPECT_EQ(firstVisibleRow(*viewer), QApplication::wheelScrollLines());
    vertical->setValue(150);
    EXPECT_EQ(firstVisibleRow(*viewer), 150);
    // A line wider than the view: the horizontal bar follows the caret.
    QScrollBar* horizontal = text.horizontalScrollBar();
    EXPECT_GT(horizontal->maximum(), 0);
    text.setCaretPosition(rowStart(*viewer, 200));
    key(*viewer, Qt::Key_End);
    EXPECT_GT(horizontal->value(), 0);
    key(*viewer, Qt::Key_Home);
    EXPECT_EQ(horizontal->value(), 0);
}

TEST_F(ViewerTest, ALargeFileLoadsWithItsLinesInPlace) {
    std::string bytes;
    std::vector<int64_t> hits;
    for (int line = 0; line < 200000; ++line) {
        const bool hit = line % 997 == 0;
        if (hit) hits.push_back(line);
        bytes += std::string(40, 'x') + (hit ? " needle " : " ") + std::to_string(line) + "\r\n";
    }
    auto viewer = open("big.txt", bytes, 997 * 30 + 1);
    EXPECT_EQ(viewer->edtFile->rowCount(), 200001);
    EXPECT_EQ(colouredRows(*viewer), hits);
    EXPECT_EQ(caretRow(*viewer), 997 * 30);
    viewer->cmdNextClick();
    EXPECT_EQ(caretRow(*viewer), 997 * 31);
}

TEST_F(ViewerTest, ALargeBinaryFileKeepsItsMatchesInPlace) {
    host.pattern = "key";
    std::string bytes = "\x01";
    for (int i = 0; i < 150000; ++i)
        bytes += i % 1000 == 999 ? "key\r\n" : "abcdef\x02\r\n";
    auto viewer = open("big.bin", bytes, -1, "B");
    const QStringList coloured = colouredTexts(*viewer);
    EXPECT_EQ(coloured.size(), 150);
    EXPECT_EQ(coloured.count(QStringLiteral("key")), 150);
}

TEST_F(ViewerTest, ALongLineIsOneRowScrolledSideways) {
    const std::string longLine = std::string(99000, 'x') + " needle";
    auto viewer = open("long.txt", "first\n" + longLine + "\nlast\n");
    ViewerTextView& text = *viewer->edtFile;
    EXPECT_EQ(text.rowCount(), 4);
    EXPECT_EQ(text.rowText(1), QString::fromStdString(longLine));
    EXPECT_EQ(colouredRows(*viewer), std::vector<int64_t>{1});
    EXPECT_EQ(text.cutMarkRect(1), std::nullopt);
    // End goes to the end of the line and the view follows it sideways.
    text.setCaretPosition(rowStart(*viewer, 1));
    key(*viewer, Qt::Key_End);
    EXPECT_EQ(text.textCursor().position, 6 + int64_t(longLine.size()));
    EXPECT_TRUE(text.screenLineOf(text.textCursor().position).has_value());
    EXPECT_GT(text.horizontalScrollBar()->value(), 0);
    EXPECT_LE(text.horizontalScrollBar()->value(), text.horizontalScrollBar()->maximum());
}

// Past the length that still paints at once a line is cut into rows, and
// the place of each cut is marked after the row's last character.
TEST_F(ViewerTest, ALineLongerThanARowIsCutWithAMark) {
    const int64_t full = int64_t(MaxRowCharacters);
    auto viewer = open("cut.txt", std::string(size_t(full + 10), 'x') + "\nshort\n");
    ViewerTextView& text = *viewer->edtFile;
    ASSERT_EQ(text.rowCount(), 4);
    EXPECT_EQ(text.rowText(0).size(), full);
    key(*viewer, Qt::Key_End); // to the end of the first row, where it was cut
    const std::optional<QRectF> mark = text.cutMarkRect(0);
    ASSERT_TRUE(mark.has_value());
    EXPECT_EQ(text.cutMarkRect(1), std::nullopt);
    EXPECT_EQ(text.cutMarkRect(2), std::nullopt);
    // Something is drawn there, and not in the text's colour.
    const QImage image = text.viewport()->grab().toImage();
    const qreal ratio = image.devicePixelRatio();
    const QColor base = text.palette().color(QPalette::Base);
    int drawn = 0;
    for (int y = qFloor(mark->top() * ratio); y < qCeil(mark->bottom() * ratio); ++y)
        for (int x = qFloor(mark->left() * ratio); x < qCeil(mark->right() * ratio); ++x)
            drawn += image.rect().contains(x, y) && image.pixelColor(x, y) != base;
    EXPECT_GT(drawn, 3);
}

// Binary mode wraps long runs itself: a run has no breaks but its own, and
// a match is coloured whole wherever it lies.
TEST_F(ViewerTest, BinaryModeBreaksOnlyWhereTheTextBreaks) {
    host.pattern = "key";
    const std::string run = std::string(1999, 'a') + "key" + std::string(3000, 'a');
    auto viewer = open("run.bin", "\x01" + run + "\nend", 0, "B");
    ViewerTextView& text = *viewer->edtFile;
    EXPECT_EQ(text.rowCount(), 2);
    EXPECT_EQ(text.rowText(0), QString::fromStdString(run));
    EXPECT_EQ(colouredTexts(*viewer), QStringList{"key"});
    EXPECT_EQ(text.cutMarkRect(0), std::nullopt);
}

TEST_F(ViewerTest, AVeryLongLineIsOneStopColouredOverAllItsRows) {
    const int64_t row = int64_t(MaxRowCharacters);
    const std::string longLine = std::string(size_t(2 * row + row / 2), 'x') + " needle";
    auto viewer =
        open("long.txt",
             "first\n" + longLine + "\nmiddle\nneedle last\n" + numberedLines(200, {}, "\n"), 2);
    // Rows 1 to 3 hold the long line, row 5 the last match.
    EXPECT_EQ(colouredRows(*viewer), (std::vector<int64_t>{1, 2, 3, 5}));
    EXPECT_EQ(colouredTexts(*viewer).mid(0, 3).join(QString()), QString::fromStdString(longLine));
    EXPECT_EQ(viewer->edtFile->textCursor().position, 6);
    EXPECT_EQ(firstVisibleRow(*viewer), 1);
    // From inside the long line's last row, Next goes on to the next line
    // that matches; Previous from there comes back to the long line's start.
    viewer->edtFile->setCaretPosition(6 + 2 * row + 3);
    viewer->cmdNextClick();
    EXPECT_EQ(viewer->edtFile->rowText(caretRow(*viewer)), QStringLiteral("needle last"));
    viewer->cmdPrevClick();
    EXPECT_EQ(viewer->edtFile->textCursor().position, 6);
    // The arrow keys walk over the place where the line was cut.
    viewer->edtFile->setCaretPosition(6 + row - 1);
    key(*viewer, Qt::Key_Right);
    EXPECT_EQ(viewer->edtFile->textCursor().position, 6 + row);
    key(*viewer, Qt::Key_Right);
    EXPECT_EQ(viewer->edtFile->textCursor().position, 6 + row + 1);
    key(*viewer, Qt::Key_Left);
    key(*viewer, Qt::Key_Left);
    EXPECT_EQ(viewer->edtFile->textCursor().position, 6 + row - 1);
}

TEST_F(ViewerTest, ABinaryFileWithoutLineBreaksIsShownInRows) {
    host.pattern = "key";
    const int64_t at = int64_t(2 * MaxRowCharacters + MaxRowCharacters / 2);
    const std::string bytes = "\x01" + std::string(size_t(at), 'a') + "key" + std::string(100, 'a');
    auto viewer = open("long.bin", bytes, 0, "B");
    EXPECT_EQ(viewer->edtFile->rowCount(), 3);
    EXPECT_EQ(colouredTexts(*viewer), QStringList{"key"});
    EXPECT_EQ(viewer->edtFile->textCursor().position, at);
    EXPECT_TRUE(viewer->edtFile->screenLineOf(at).has_value());
}

TEST_F(ViewerTest, ClosingWhileLoadingStopsCleanly) {
    std::string bytes;
    for (int line = 0; line < 1000000; ++line)
        bytes += "a needle in line " + std::to_string(line) + "\n";
    dir.write("big.txt", bytes);
    host.row = diskRow(dir.path(), "big.txt", "T", int64_t(bytes.size()));
    auto viewer = std::make_unique<TfrmViewer>(
        nullptr, host, ViewerRequest{host.row->fullPath(), QStringLiteral("x"), -1}, table);
    viewer->show();
    EXPECT_FALSE(viewer->isLoaded());
    EXPECT_NE(QGuiApplication::overrideCursor(), nullptr);
    viewer->cmdNextClick();
    viewer->cmdCloseClick();
    viewer.reset();
    QCoreApplication::processEvents();
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

TEST_F(ViewerTest, ShownModallyItFreesItselfWhenClosed) {
    dir.write("t.txt", "a needle\n");
    host.row = diskRow(dir.path(), "t.txt");
    QPointer<TfrmViewer> seen;
    QString title;
    // Closes the viewer once it has loaded, from inside its modal loop.
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [&] {
        auto* viewer = qobject_cast<TfrmViewer*>(QApplication::activeModalWidget());
        if (!viewer || !viewer->isLoaded()) return;
        seen = viewer;
        title = viewer->windowTitle();
        viewer->cmdCloseClick();
    });
    closer.start(10);
    TfrmViewer::showModal(nullptr, host,
                          {host.row->fullPath(), QStringLiteral("File Viewer - t"), -1});
    EXPECT_EQ(title, QStringLiteral("File Viewer - t"));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(seen.isNull());
}

TEST_F(ViewerTest, ControlsAreNamedCaptionedAndTheTextCannotBeEdited) {
    auto viewer = open("t.txt", "x\n");
    EXPECT_EQ(viewer->windowTitle(), QStringLiteral("File Viewer - x"));
    EXPECT_EQ(viewer->edtFile->objectName(), QStringLiteral("edtFile"));
    EXPECT_EQ(viewer->cmdPrev->text(), QStringLiteral("&Previous Match"));
    EXPECT_EQ(viewer->cmdNext->text(), QStringLiteral("&Next Match"));
    EXPECT_EQ(viewer->cmdClose->text(), QStringLiteral("&Close"));
    QTest::keyClicks(viewer->edtFile, "abc");
    QTest::keyClick(viewer->edtFile, Qt::Key_Delete);
    EXPECT_EQ(shownText(*viewer), QStringLiteral("x\n"));
    viewer->cmdCloseClick();
    EXPECT_FALSE(viewer->isVisible());
}

TEST_F(ViewerTest, LayoutFollowsTheScreenAndEveryResize) {
    auto viewer = open("t.txt", "x\n");
    viewer->applyScreenLayout(800);
    EXPECT_EQ(viewer->size(), QSize(790, 547));
    EXPECT_EQ(viewer->edtFile->geometry(), QRect(0, 0, 790, 475));
    EXPECT_EQ(viewer->cmdPrev->pos(), QPoint(130, 490));
    EXPECT_EQ(viewer->cmdNext->pos(), QPoint(290, 490));
    EXPECT_EQ(viewer->cmdClose->pos(), QPoint(470, 490));
    viewer->applyScreenLayout(1024);
    EXPECT_EQ(viewer->edtFile->geometry(), QRect(0, 0, 1014, 577));
    EXPECT_EQ(viewer->cmdPrev->pos(), QPoint(275, 592));
    EXPECT_EQ(viewer->cmdClose->pos(), QPoint(611, 592));
    viewer->resize(700, 400);
    EXPECT_EQ(viewer->cmdPrev->pos(), QPoint(275, 343));
    EXPECT_EQ(viewer->cmdNext->y(), 343);
    EXPECT_EQ(viewer->cmdClose->y(), 343);
    EXPECT_EQ(viewer->edtFile->geometry(), QRect(0, 0, 700, 328));
}

} // namespace
} // namespace ferrolux
