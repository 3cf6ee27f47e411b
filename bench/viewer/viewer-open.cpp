// Opens a file in the viewer (offscreen) and reports what a user waits for:
// the first paint that shows a coloured match, the moment every match is
// found, the longest time the window did not answer, the resident memory
// above an empty viewer, and the time of each Next and Previous step.
//
// Usage:
//   ferrolux-viewer-bench --make-text FILE BYTES MATCHING_LINES
//   ferrolux-viewer-bench --make-single-line FILE BYTES
//   ferrolux-viewer-bench FILE [--target LINE] [--steps N] [--pattern P]
//                              [--timeout SECONDS]
// Lines of the result are "key: value" so that a script can collect them.

#include "settings/Settings.h"
#include "viewer/TfrmViewer.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QTimer>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>

namespace {

using ferrolux::TfrmViewer;

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

// 71-byte lines; line 4 and then every n-th line hold "needle", so the first
// screen has a match to colour. The middle one holds "target" instead: looked
// for alone, it is coloured only once the viewer shows that line.
bool writeTextFile(const char* path, int64_t bytes, int64_t matchingLines) {
    std::ofstream out(path, std::ios::binary);
    const std::string plain =
        "The quick brown fox jumps over the lazy dog while the viewer keeps up.\n";
    const std::string hit =
        "Here the quick brown fox finds the needle that the viewer colours red.\n";
    const std::string target =
        "Here the quick brown fox finds the target that the viewer colours red.\n";
    const int64_t lines = bytes / int64_t(plain.size());
    const int64_t every = std::max<int64_t>(1, lines / matchingLines);
    std::string block;
    for (int64_t line = 0; line < lines; ++line) {
        const bool matching = line % every == 3 && line / every < matchingLines;
        block += !matching ? plain : line / every == matchingLines / 2 - 1 ? target : hit;
        if (block.size() > (size_t(1) << 20)) {
            out << block;
            block.clear();
        }
    }
    out << block;
    return bool(out);
}

// One line without a line break, with a match every 10 MB or so.
bool writeSingleLine(const char* path, int64_t bytes) {
    std::ofstream out(path, std::ios::binary);
    const std::string words = "lorem ipsum dolor sit amet consectetur adipiscing elit ";
    std::string block;
    int64_t written = 0;
    int64_t nextNeedle = 0;
    while (written < bytes) {
        const int64_t at = written + int64_t(block.size());
        if (at >= nextNeedle) {
            block += "needle ";
            nextNeedle += int64_t(10) << 20;
        } else {
            block += words;
        }
        if (block.size() > (size_t(1) << 20) || at + int64_t(words.size()) >= bytes) {
            const size_t n = size_t(std::min<int64_t>(int64_t(block.size()), bytes - written));
            out.write(block.data(), std::streamsize(n));
            written += int64_t(n);
            block.clear();
        }
    }
    return bool(out);
}

long statusKiB(const char* key) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind(key, 0) == 0) return std::stol(line.substr(std::strlen(key)));
    return -1;
}

// The peak resident size starts again from the current one.
void resetPeak() {
    std::ofstream("/proc/self/clear_refs") << "5";
}

// Whether the text area shows a pixel in the highlight colour (red).
bool showsColour(QWidget* text) {
    const QImage image = text->grab().toImage().convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x)
            if (qRed(row[x]) > 160 && qGreen(row[x]) < 90 && qBlue(row[x]) < 90) return true;
    }
    return false;
}

struct Options {
    QString path;
    int32_t target = -1;
    int steps = 5000;
    std::string pattern = "needle";
    int timeoutSeconds = 600;
};

Options parse(int argc, char** argv) {
    Options options;
    options.path = QString::fromLocal8Bit(argv[1]);
    for (int i = 2; i + 1 < argc; i += 2) {
        const std::string key = argv[i];
        if (key == "--target") options.target = std::atoi(argv[i + 1]);
        if (key == "--steps") options.steps = std::atoi(argv[i + 1]);
        if (key == "--pattern") options.pattern = argv[i + 1];
        if (key == "--timeout") options.timeoutSeconds = std::atoi(argv[i + 1]);
    }
    return options;
}

// Opens a viewer on an empty file, so that fonts, styles and the window's
// own memory are there before the big file is measured.
void openEmptyViewer(BenchSource& source, const QString& emptyPath) {
    QFile(emptyPath).open(QIODevice::WriteOnly);
    source.row.FileName = QFile::encodeName(emptyPath).toStdString();
    source.row.Size = 0;
    TfrmViewer empty(nullptr, source, {source.row.FileName, QStringLiteral("empty"), -1});
    empty.show();
    while (!empty.isLoaded())
        QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    empty.grab();
    QFile::remove(emptyPath);
}

void printMs(const char* key, qint64 ms) {
    std::printf("%s: %lld\n", key, static_cast<long long>(ms));
    std::fflush(stdout);
}

// Presses one of the buttons n times (or until the caret stops moving),
// letting the window paint after each press.
void timeSteps(TfrmViewer& viewer, bool next, int n, const char* key) {
    QElapsedTimer all;
    all.start();
    qint64 slowest = 0;
    int done = 0;
    for (; done < n; ++done) {
        QElapsedTimer step;
        step.start();
        next ? viewer.cmdNextClick() : viewer.cmdPrevClick();
        QCoreApplication::processEvents();
        slowest = std::max(slowest, step.elapsed());
    }
    std::printf("%s_steps: %d\n", key, done);
    std::printf("%s_mean_us: %lld\n", key,
                static_cast<long long>(done ? all.nsecsElapsed() / 1000 / done : 0));
    printMs((std::string(key) + "_slowest_ms").c_str(), slowest);
}

int run(const Options& options) {
    BenchSource source;
    source.pattern = options.pattern;
    source.config.MaxMatches = 5000;
    source.row.Type = QStringLiteral("T");
    openEmptyViewer(source, options.path + QStringLiteral(".empty"));
    const long emptyKiB = statusKiB("VmRSS:");
    resetPeak();

    source.row.FileName = QFile::encodeName(options.path).toStdString();
    source.row.Size = QFile(options.path).size();
    QElapsedTimer timer;
    timer.start();
    TfrmViewer viewer(nullptr, source,
                      {source.row.FileName, QStringLiteral("bench"), options.target});
    viewer.show();
    auto* text = viewer.findChild<QWidget*>(QStringLiteral("edtFile"));
    qint64 longestStall = timer.elapsed();
    qint64 firstColour = -1;
    qint64 lastPoll = -100;
    while (!viewer.isLoaded() && timer.elapsed() < options.timeoutSeconds * 1000) {
        QElapsedTimer turn;
        turn.start();
        QCoreApplication::processEvents();
        if (firstColour < 0 && timer.elapsed() - lastPoll >= 5) {
            lastPoll = timer.elapsed();
            if (showsColour(text)) firstColour = timer.elapsed();
        }
        longestStall = std::max(longestStall, turn.elapsed());
    }
    if (!viewer.isLoaded()) {
        std::printf("timeout_s: %d\n", options.timeoutSeconds);
        return 2;
    }
    QCoreApplication::processEvents();
    const qint64 loaded = timer.elapsed();
    if (firstColour < 0 && showsColour(text)) firstColour = timer.elapsed();

    std::printf("file: %s\nbytes: %lld\n", qPrintable(options.path),
                static_cast<long long>(source.row.Size));
    printMs("first_coloured_paint_ms", firstColour);
    printMs("all_matches_found_ms", loaded);
    printMs("longest_stall_ms", longestStall);
    std::printf("matches: %d\n", ferrolux::viewerMatchTable().count);
    std::printf("rss_above_empty_mb: %.1f\n", double(statusKiB("VmRSS:") - emptyKiB) / 1024);
    std::printf("peak_rss_above_empty_mb: %.1f\n", double(statusKiB("VmHWM:") - emptyKiB) / 1024);
    std::fflush(stdout);
    timeSteps(viewer, true, std::min(options.steps, ferrolux::viewerMatchTable().count), "next");
    timeSteps(viewer, false, std::min(options.steps, ferrolux::viewerMatchTable().count), "prev");
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc >= 5 && std::strcmp(argv[1], "--make-text") == 0)
        return writeTextFile(argv[2], std::atoll(argv[3]), std::atoll(argv[4])) ? 0 : 1;
    if (argc >= 4 && std::strcmp(argv[1], "--make-single-line") == 0)
        return writeSingleLine(argv[2], std::atoll(argv[3])) ? 0 : 1;
    if (argc < 2) {
        std::fprintf(stderr, "usage: see the comment at the top of viewer-open.cpp\n");
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    return run(parse(argc, argv));
}
