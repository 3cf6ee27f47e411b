// Times how the viewer (offscreen) paints long lines: a file of `rows`
// lines of `length` characters each, of one kind of text, in text mode (no
// word wrap) or binary mode (word wrap). Reports the open (until loaded and
// painted), a repaint at the top, End on the first line with its first
// paint and until every row on screen is drawn, a repaint there, and
// Ctrl+End with its paint; the median of `runs` repaints where a repaint
// is timed.
//
// Usage: ferrolux-viewer-paint-bench DIR LENGTH ROWS KIND MODE [RUNS]
//   KIND: words | digits | cjk     MODE: text | binary
// Lines of the result are "key: value".

#include "settings/Settings.h"
#include "viewer/TfrmViewer.h"
#include "viewer/ViewerTextView.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTest>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

namespace {

class BenchSource : public ferrolux::ViewerSource {
public:
    ferrolux::FileResult row;
    ferrolux::Settings config = ferrolux::defaultSettings();
    std::string pattern = "needle";

    const ferrolux::FileResult* selectedFileRow() const override { return &row; }
    bool caseSensitive() const override { return false; }
    const std::string& searchPattern() const override { return pattern; }
    ferrolux::ViewerSettings viewerSettings() const override {
        return {config.ViewerFontName,  config.ViewerFontSize, config.ViewerTextColor,
                config.ViewerHighColor, config.MaxMatches,     config.MaxMatchLen};
    }
};

// A line of `length` characters: words, comma-separated digits (a CSV row),
// or Latin, accented and CJK characters mixed (the CJK ones from a fallback
// font); a "needle" near its start.
std::string line(int64_t length, const std::string& kind) {
    std::string text = "needle ";
    int64_t characters = 7;
    for (int64_t i = 0; characters < length; ++i, ++characters) {
        if (kind == "digits")
            text += i % 5 == 4 ? ',' : char('0' + i % 10);
        else if (kind == "cjk")
            text += i % 3 == 0 ? "\xC3\xA9" : i % 3 == 1 ? "\xE4\xB8\xAD" : "x";
        else
            text += i % 7 == 6 ? ' ' : char('a' + i % 26);
    }
    return text;
}

double msSince(const QElapsedTimer& timer) {
    return double(timer.nsecsElapsed()) / 1e6;
}

// Paints until every row on screen is drawn (rows long to lay out may wait
// for later paints).
void paintAll(ferrolux::ViewerTextView* text) {
    text->viewport()->grab();
    while (text->layoutPending()) {
        QCoreApplication::processEvents();
        text->viewport()->grab();
    }
}

double medianRepaint(QWidget* area, int runs) {
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        area->grab();
        times.push_back(msSince(timer));
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 6) {
        std::fprintf(stderr, "usage: see the comment at the top of viewer-paint.cpp\n");
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const std::string dir = argv[1];
    const int64_t length = std::atoll(argv[2]);
    const int rows = std::atoi(argv[3]);
    const std::string kind = argv[4];
    const bool binary = std::strcmp(argv[5], "binary") == 0;
    const int runs = argc > 6 ? std::atoi(argv[6]) : 5;

    const std::string path = dir + "/lines-" + std::to_string(length) + "-" + std::to_string(rows) +
                             "-" + kind + (binary ? ".bin" : ".txt");
    {
        std::ofstream out(path, std::ios::binary);
        if (binary) out << '\x01';
        const std::string one = line(length, kind);
        for (int i = 0; i < rows; ++i)
            out << one << '\n';
    }
    BenchSource source;
    source.row.FileName = path;
    source.row.Type = binary ? QStringLiteral("B") : QStringLiteral("T");
    source.row.Size = QFile(QString::fromStdString(path)).size();

    QElapsedTimer timer;
    timer.start();
    ferrolux::TfrmViewer viewer(nullptr, source, {path, QStringLiteral("bench"), -1});
    viewer.resize(1024, 735);
    viewer.show();
    while (!viewer.isLoaded())
        QCoreApplication::processEvents();
    auto* text = viewer.findChild<ferrolux::ViewerTextView*>(QStringLiteral("edtFile"));
    paintAll(text);
    std::printf("open_and_paint_ms: %.1f\n", msSince(timer));
    std::printf("repaint_top_ms: %.2f\n", medianRepaint(text->viewport(), runs));
    timer.restart();
    QTest::keyClick(text, Qt::Key_End);
    text->viewport()->grab();
    std::printf("end_of_line_first_paint_ms: %.1f\n", msSince(timer));
    paintAll(text);
    std::printf("end_of_line_ms: %.1f\n", msSince(timer));
    std::printf("repaint_at_end_ms: %.2f\n", medianRepaint(text->viewport(), runs));
    timer.restart();
    QTest::keyClick(text, Qt::Key_End, Qt::ControlModifier);
    paintAll(text);
    std::printf("end_of_text_ms: %.1f\n", msSince(timer));
    std::printf("rows: %lld\n", static_cast<long long>(text->rowCount()));
    QFile::remove(QString::fromStdString(path));
    return 0;
}
