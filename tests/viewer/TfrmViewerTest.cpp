#include "viewer/TfrmViewer.h"

#include "FakeHost.h"
#include "TempDir.h"

#include <QApplication>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextDocument>
#include <QTimer>
#include <gtest/gtest.h>
#include <memory>

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

    // The runs of text that carry a foreground colour, with their lines.
    static std::vector<std::pair<int, QString>> colouredRuns(const TfrmViewer& viewer) {
        std::vector<std::pair<int, QString>> runs;
        const QTextDocument* document = viewer.edtFile->document();
        for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) {
            bool open = false;
            for (auto it = block.begin(); !it.atEnd(); ++it) {
                const QTextFragment fragment = it.fragment();
                if (!fragment.charFormat().hasProperty(QTextFormat::ForegroundBrush)) {
                    open = false;
                    continue;
                }
                if (!open) runs.emplace_back(block.blockNumber(), QString());
                runs.back().second += fragment.text();
                open = true;
            }
        }
        return runs;
    }

    static QStringList colouredTexts(const TfrmViewer& viewer) {
        QStringList texts;
        for (const auto& run : colouredRuns(viewer))
            texts << run.second;
        return texts;
    }

    static std::vector<int> colouredLines(const TfrmViewer& viewer) {
        std::vector<int> lines;
        for (const auto& run : colouredRuns(viewer))
            lines.push_back(run.first);
        return lines;
    }

    static int caretLine(const TfrmViewer& viewer) {
        return viewer.edtFile->textCursor().blockNumber();
    }

    static int firstVisibleLine(const TfrmViewer& viewer) {
        return viewer.edtFile->verticalScrollBar()->value();
    }

    static void putCaret(TfrmViewer& viewer, int line) {
        QTextCursor cursor(viewer.edtFile->document()->findBlockByNumber(line));
        viewer.edtFile->setTextCursor(cursor);
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
        EXPECT_EQ(colouredLines(*viewer), (std::vector<int>{2, 4, 7}));
        EXPECT_EQ(colouredTexts(*viewer),
                  (QStringList{"line 3 needle", "line 5 needle", "line 8 needle"}));
        EXPECT_EQ(viewer->edtFile->lineWrapMode(), QPlainTextEdit::NoWrap);
        EXPECT_EQ(table.count, 3);
        EXPECT_FALSE(table.binaryMode);
    }
}

TEST_F(ViewerTest, LinesStayWhereTheEngineCountsThem) {
    // A lone carriage return and a paragraph separator inside lines.
    auto viewer = open("odd.txt", "a\rb\nsecond \xE2\x80\xA9 x\r\nthird needle\nfourth\n");
    EXPECT_EQ(colouredLines(*viewer), (std::vector<int>{2}));
    EXPECT_EQ(colouredTexts(*viewer), QStringList{"third needle"});
}

TEST_F(ViewerTest, FontAndColoursComeFromTheSettings) {
    host.config.ViewerFontName = QStringLiteral("DejaVu Sans Mono");
    host.config.ViewerFontSize = 9;
    host.config.ViewerTextColor = 0x00123456;
    host.config.ViewerHighColor = 0x0000FF00;
    auto viewer = open("t.txt", "needle\n");
    EXPECT_EQ(viewer->edtFile->font().family(), QStringLiteral("DejaVu Sans Mono"));
    EXPECT_EQ(viewer->edtFile->font().pointSize(), 9);
    EXPECT_EQ(viewer->edtFile->palette().color(QPalette::Text), QColor(0x56, 0x34, 0x12));
    const QTextBlock line = viewer->edtFile->document()->begin();
    ASSERT_EQ(line.textFormats().size(), 1);
    EXPECT_EQ(line.textFormats()[0].format.foreground().color(), QColor(0, 255, 0));
    EXPECT_EQ(line.textFormats()[0].length, 6);
}

TEST_F(ViewerTest, WithoutATargetTheCaretStartsAtTheTop) {
    auto viewer = open("t.txt", numberedLines(300, {150}, "\n"));
    EXPECT_EQ(viewer->edtFile->textCursor().position(), 0);
    EXPECT_FALSE(viewer->edtFile->textCursor().hasSelection());
    EXPECT_EQ(firstVisibleLine(*viewer), 0);
}

TEST_F(ViewerTest, ATextTargetBecomesTheFirstVisibleLine) {
    auto viewer = open("t.txt", numberedLines(300, {117}, "\n"), 117);
    EXPECT_EQ(caretLine(*viewer), 116);
    EXPECT_EQ(viewer->edtFile->textCursor().positionInBlock(), 0);
    EXPECT_FALSE(viewer->edtFile->textCursor().hasSelection());
    EXPECT_EQ(firstVisibleLine(*viewer), 116);
    // Near the end the view goes as far as the text allows.
    auto last = show(299);
    EXPECT_EQ(caretLine(*last), 298);
    EXPECT_LT(firstVisibleLine(*last), 298);
    auto beyond = show(5000);
    EXPECT_EQ(caretLine(*beyond), 300);
}

TEST_F(ViewerTest, NextAndPreviousStopAtTheEndsWithoutWrapping) {
    auto viewer = open("t.txt", numberedLines(12, {3, 5, 8}, "\n"));
    std::vector<int> visited;
    for (int i = 0; i < 4; ++i) {
        viewer->cmdNextClick();
        visited.push_back(caretLine(*viewer));
    }
    EXPECT_EQ(visited, (std::vector<int>{2, 4, 7, 7}));
    visited.clear();
    for (int i = 0; i < 3; ++i) {
        viewer->cmdPrevClick();
        visited.push_back(caretLine(*viewer));
    }
    EXPECT_EQ(visited, (std::vector<int>{4, 2, 2}));
    EXPECT_FALSE(viewer->edtFile->textCursor().hasSelection());
}

TEST_F(ViewerTest, NextStartsFromWhereTheUserPutTheCaret) {
    auto viewer = open("t.txt", "needle needle\nx\nneedle\ny\nneedle\n");
    // Inside a coloured line with two matches: one stop, on to the next line.
    QTextCursor inside(viewer->edtFile->document());
    inside.setPosition(9);
    viewer->edtFile->setTextCursor(inside);
    viewer->cmdNextClick();
    EXPECT_EQ(caretLine(*viewer), 2);
    putCaret(*viewer, 3);
    viewer->cmdNextClick();
    EXPECT_EQ(caretLine(*viewer), 4);
    putCaret(*viewer, 3);
    viewer->cmdPrevClick();
    EXPECT_EQ(caretLine(*viewer), 2);
}

TEST_F(ViewerTest, SteppingFromTheFirstVisibleLineKeepsTheTargetFirst) {
    auto viewer = open("t.txt", numberedLines(400, {50, 120, 390}, "\n"), 50);
    ASSERT_EQ(firstVisibleLine(*viewer), 49);
    viewer->cmdNextClick();
    EXPECT_EQ(caretLine(*viewer), 119);
    EXPECT_EQ(firstVisibleLine(*viewer), 119);
    viewer->cmdPrevClick();
    EXPECT_EQ(firstVisibleLine(*viewer), 49);
}

TEST_F(ViewerTest, OnlyTheFirstMaxMatchesLinesAreColouredAndVisited) {
    host.config.MaxMatches = 2;
    auto viewer = open("t.txt", numberedLines(10, {2, 4, 6, 8}, "\n"));
    EXPECT_EQ(colouredLines(*viewer), (std::vector<int>{1, 3}));
    for (int i = 0; i < 3; ++i)
        viewer->cmdNextClick();
    EXPECT_EQ(caretLine(*viewer), 3);
}

TEST_F(ViewerTest, TheCaseBoxAtViewingTimeDecides) {
    host.caseOn = false;
    auto viewer = open("t.txt", "Needle\nneedle\n");
    EXPECT_EQ(colouredLines(*viewer), (std::vector<int>{0, 1}));
    host.caseOn = true;
    auto again = show(-1);
    EXPECT_EQ(colouredLines(*again), (std::vector<int>{1}));
}

TEST_F(ViewerTest, BinaryModeColoursExactlyTheMatchedCharacters) {
    host.pattern = "key";
    const std::string bytes("\x01\x02key\0\r\nab\xE9key\r\nkey\x7F", 20);
    auto viewer = open("b.bin", bytes, -1, "B");
    EXPECT_EQ(viewer->edtFile->toPlainText(), QStringLiteral("key\nabkey\nkey"));
    EXPECT_EQ(colouredTexts(*viewer), (QStringList{"key", "key", "key"}));
    EXPECT_EQ(viewer->edtFile->lineWrapMode(), QPlainTextEdit::WidgetWidth);
    ASSERT_EQ(table.count, 3);
    EXPECT_TRUE(table.binaryMode);
    EXPECT_EQ(table.positions[1], 6);
    EXPECT_EQ(table.positions[2], 10);
    viewer->cmdNextClick();
    EXPECT_EQ(viewer->edtFile->textCursor().position(), 6);
    viewer->cmdNextClick();
    viewer->cmdNextClick();
    EXPECT_EQ(viewer->edtFile->textCursor().position(), 10);
    viewer->cmdPrevClick();
    EXPECT_EQ(viewer->edtFile->textCursor().position(), 6);
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
    EXPECT_EQ(viewer->edtFile->toPlainText(), QStringLiteral("WPCone\ntwo three "));
    EXPECT_EQ(colouredTexts(*viewer), QStringList{"two"});
    host.pattern = "b";
    auto d0cf = open("doc.doc",
                     std::string("\xD0\xCF"
                                 "a\rb\r\nc"),
                     -1, "B");
    EXPECT_EQ(d0cf->edtFile->toPlainText(), QStringLiteral("a\nb\n\nc"));
    EXPECT_EQ(colouredTexts(*d0cf), QStringList{"b"});
}

TEST_F(ViewerTest, ABinaryTargetPutsTheCaretAtThatMatchOrAtTheStart) {
    host.pattern = "key";
    auto viewer = open("b.bin", std::string("\x01 key key key", 13), 1, "B");
    EXPECT_EQ(viewer->edtFile->textCursor().position(), 5);
    EXPECT_FALSE(viewer->edtFile->textCursor().hasSelection());
    // The match list may hold more rows than the viewer colours.
    table.positions[3] = 999; // a stale entry from an earlier viewer
    auto past = show(3);
    EXPECT_EQ(past->edtFile->textCursor().position(), 0);
}

TEST_F(ViewerTest, BinaryModeReadsTheRecordedSizeOrWhatIsLeft) {
    host.pattern = "tail";
    dir.write("b.bin", std::string("\x01head tail", 10));
    host.row = diskRow(dir.path(), "b.bin", "B", 5); // the file grew since the search
    auto viewer = show(-1);
    EXPECT_EQ(viewer->edtFile->toPlainText(), QStringLiteral("head"));
    EXPECT_EQ(table.count, 0);
    host.row->Size = 1000; // the file shrank since the search
    auto shrunk = show(-1);
    EXPECT_EQ(shrunk->edtFile->toPlainText(), QStringLiteral("head tail"));
    EXPECT_EQ(colouredTexts(*shrunk), QStringList{"tail"});
}

TEST_F(ViewerTest, AFileThatCannotBeOpenedIsExplainedInTheViewer) {
    for (const char* type : {"T", "B"}) {
        host.row = diskRow(dir.path(), "missing.txt", type, 10);
        auto viewer = show(3);
        const QString shown = viewer->edtFile->toPlainText();
        EXPECT_TRUE(shown.contains(QLatin1String("could not be read"))) << shown.toStdString();
        EXPECT_TRUE(shown.contains(QString::fromStdString(dir.file("missing.txt"))));
        EXPECT_EQ(table.count, 0);
        viewer->cmdNextClick();
        viewer->cmdPrevClick();
    }
}

TEST_F(ViewerTest, ALargeFileLoadsInSlicesWithLinesInPlace) {
    // About 10 MB of CR LF lines: two parts to decode and many slices to
    // insert, matches on both sides of each boundary.
    std::string bytes;
    std::vector<int> hits;
    for (int line = 0; line < 200000; ++line) {
        const bool hit = line % 997 == 0;
        if (hit) hits.push_back(line);
        bytes += std::string(40, 'x') + (hit ? " needle " : " ") + std::to_string(line) + "\r\n";
    }
    auto viewer = open("big.txt", bytes, 997 * 30 + 1);
    EXPECT_EQ(viewer->edtFile->document()->blockCount(), 200001);
    EXPECT_EQ(colouredLines(*viewer), hits);
    EXPECT_EQ(caretLine(*viewer), 997 * 30);
    viewer->cmdNextClick();
    EXPECT_EQ(caretLine(*viewer), 997 * 31);
}

TEST_F(ViewerTest, ALargeBinaryFileKeepsItsMatchesInPlaceAcrossSlices) {
    host.pattern = "key";
    std::string bytes = "\x01";
    for (int i = 0; i < 150000; ++i)
        bytes += i % 1000 == 999 ? "key\r\n" : "abcdef\x02\r\n";
    auto viewer = open("big.bin", bytes, -1, "B");
    const QStringList coloured = colouredTexts(*viewer);
    EXPECT_EQ(coloured.size(), 150);
    EXPECT_EQ(coloured.count(QStringLiteral("key")), 150);
}

TEST_F(ViewerTest, AVeryLongLineIsOneStopColouredOverAllItsRows) {
    const std::string longLine = std::string(25000, 'x') + " needle";
    auto viewer =
        open("long.txt",
             "first\n" + longLine + "\nmiddle\nneedle last\n" + numberedLines(200, {}, "\n"), 2);
    // Rows 1 to 3 hold the long line, row 5 the last match.
    EXPECT_EQ(colouredLines(*viewer), (std::vector<int>{1, 2, 3, 5}));
    EXPECT_EQ(colouredTexts(*viewer).mid(0, 3).join(QString()), QString::fromStdString(longLine));
    EXPECT_EQ(viewer->edtFile->textCursor().position(), 6);
    EXPECT_EQ(firstVisibleLine(*viewer), 1);
    // From inside the long line's last row, Next goes on to the next line
    // that matches; Previous from there comes back to the long line's start.
    QTextCursor inLastRow(viewer->edtFile->document());
    inLastRow.setPosition(6 + 25003);
    viewer->edtFile->setTextCursor(inLastRow);
    viewer->cmdNextClick();
    EXPECT_EQ(viewer->edtFile->textCursor().block().text(), QStringLiteral("needle last"));
    viewer->cmdPrevClick();
    EXPECT_EQ(viewer->edtFile->textCursor().position(), 6);
}

TEST_F(ViewerTest, ABinaryFileWithoutLineBreaksIsShownInRows) {
    host.pattern = "key";
    const std::string bytes = "\x01" + std::string(25000, 'a') + "key" + std::string(100, 'a');
    auto viewer = open("long.bin", bytes, 0, "B");
    EXPECT_EQ(viewer->edtFile->document()->blockCount(), 3);
    EXPECT_EQ(colouredTexts(*viewer), QStringList{"key"});
    EXPECT_EQ(viewer->edtFile->textCursor().position(), 25002);
}

TEST_F(ViewerTest, ClosingWhileLoadingStopsCleanly) {
    std::string bytes;
    for (int line = 0; line < 100000; ++line)
        bytes += "a needle in line " + std::to_string(line) + "\n";
    dir.write("big.txt", bytes);
    host.row = diskRow(dir.path(), "big.txt", "T", int64_t(bytes.size()));
    auto viewer = std::make_unique<TfrmViewer>(
        nullptr, host, ViewerRequest{host.row->fullPath(), QStringLiteral("x"), -1}, table);
    viewer->show();
    EXPECT_FALSE(viewer->isLoaded());
    EXPECT_NE(QGuiApplication::overrideCursor(), nullptr);
    viewer->cmdNextClick(); // nothing to step to yet
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

TEST_F(ViewerTest, ControlsAreNamedAndCaptioned) {
    auto viewer = open("t.txt", "x\n");
    EXPECT_EQ(viewer->windowTitle(), QStringLiteral("File Viewer - x"));
    EXPECT_EQ(viewer->edtFile->objectName(), QStringLiteral("edtFile"));
    EXPECT_EQ(viewer->cmdPrev->text(), QStringLiteral("&Previous Match"));
    EXPECT_EQ(viewer->cmdNext->text(), QStringLiteral("&Next Match"));
    EXPECT_EQ(viewer->cmdClose->text(), QStringLiteral("&Close"));
    EXPECT_TRUE(viewer->edtFile->isReadOnly());
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
