// Opens a large text file in the viewer (offscreen) and reports how long the
// opening and the stepping through every match take.
//
// Usage: ferrolux-viewer-bench [FILE]
// Without FILE it writes a 50 MB text file with 5000 matching lines to the
// temporary folder (and reuses it on later runs).

#include "viewer/TfrmViewer.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QPlainTextEdit>
#include <cstdio>

namespace {

constexpr int64_t FileBytes = 50'000'000;
constexpr int MatchingLines = 5000;

class BenchSource : public ferrolux::ViewerSource {
public:
    ferrolux::FileResult row;
    ferrolux::Settings config = ferrolux::defaultSettings();
    std::string pattern = "needle";

    const ferrolux::FileResult* selectedFileRow() const override { return &row; }
    bool caseSensitive() const override { return false; }
    const std::string& searchPattern() const override { return pattern; }
    const ferrolux::Settings& settings() const override { return config; }
};

// About 80-byte lines; every n-th line holds the word the viewer looks for.
QString writeBenchFile() {
    const QString path = QDir::tempPath() + QStringLiteral("/ferrolux-viewer-bench-50mb.txt");
    if (QFile::exists(path) && QFile(path).size() >= FileBytes) return path;
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return {};
    const QByteArray plain =
        "The quick brown fox jumps over the lazy dog while the viewer keeps up.\n";
    const QByteArray hit =
        "Here the quick brown fox finds the needle that the viewer colours red.\n";
    const int64_t lines = FileBytes / plain.size();
    const int64_t every = lines / MatchingLines;
    QByteArray block;
    for (int64_t line = 0; line < lines; ++line) {
        block += (line % every == every / 2 && line / every < MatchingLines) ? hit : plain;
        if (block.size() > (1 << 20)) {
            file.write(block);
            block.clear();
        }
    }
    file.write(block);
    return path;
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QString path = argc > 1 ? QString::fromLocal8Bit(argv[1]) : writeBenchFile();
    if (path.isEmpty()) {
        std::fprintf(stderr, "cannot write the benchmark file\n");
        return 1;
    }
    BenchSource source;
    source.config.MaxMatches = 5000;
    source.row.FileName = QFile::encodeName(path).toStdString();
    source.row.Type = QStringLiteral("T");
    source.row.Size = QFile(path).size();

    {
        // The main window has the fonts loaded long before a file is viewed.
        QPlainTextEdit warmUp(QStringLiteral("x"));
        warmUp.show();
        QCoreApplication::processEvents();
    }
    QElapsedTimer timer;
    timer.start();
    ferrolux::TfrmViewer viewer(nullptr, source,
                                {source.row.FileName, QStringLiteral("bench"), -1});
    viewer.show();
    qint64 longestBlock = timer.elapsed();
    while (!viewer.isLoaded()) {
        QElapsedTimer turn;
        turn.start();
        QCoreApplication::processEvents();
        longestBlock = std::max(longestBlock, turn.elapsed());
    }
    QCoreApplication::processEvents();
    const qint64 openMs = timer.elapsed();

    const int coloured = ferrolux::viewerMatchTable().count;
    timer.restart();
    qint64 slowestStep = 0;
    for (int i = 0; i < coloured; ++i) {
        QElapsedTimer step;
        step.start();
        viewer.cmdNextClick();
        QCoreApplication::processEvents();
        slowestStep = std::max(slowestStep, step.elapsed());
    }
    const qint64 stepMs = timer.elapsed();

    std::printf("file: %s (%lld bytes, %d lines)\n", qPrintable(path),
                static_cast<long long>(source.row.Size), viewer.edtFile->document()->blockCount());
    std::printf("open (load, colour %d lines, first paint): %lld ms\n", coloured,
                static_cast<long long>(openMs));
    std::printf("longest time the window did not answer while opening: %lld ms\n",
                static_cast<long long>(longestBlock));
    std::printf("next match x%d: %lld ms in all, slowest step %lld ms\n", coloured,
                static_cast<long long>(stepMs), static_cast<long long>(slowestStep));
    return coloured == MatchingLines || argc > 1 ? 0 : 1;
}
