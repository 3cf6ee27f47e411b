// Times a search started from the main window, from the press of Search to
// the summary, so that it can be compared with the command-line driver on the
// same tree. With --grab it also saves a picture of the window afterwards.
#include "app/TfrmMain.h"
#include "platform/MessageBoxA.h"
#include "platform/ui/DirectoryListBox.h"
#include "results/FileListView.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <cstdio>

namespace {

struct Options {
    QString pattern;
    QString directory;
    QString files = QStringLiteral("*.*");
    QString grab;
    bool subdirectories = false;
    bool caseSensitive = false;
    bool wholeWords = false;
    bool literal = false;
    bool text = true;
    bool binary = true;
};

int usage() {
    std::fprintf(stderr,
                 "usage: ferrolux-window-bench [-r] [-c] [-w] [-l] [--text-only|--binary-only]\n"
                 "       [--files SPECS] [--grab FILE.png] PATTERN DIRECTORY\n");
    return 2;
}

bool parse(const QStringList& args, Options& options) {
    QStringList plain;
    for (int i = 1; i < args.size(); ++i) {
        const QString& arg = args[i];
        if (arg == QLatin1String("-r"))
            options.subdirectories = true;
        else if (arg == QLatin1String("-c"))
            options.caseSensitive = true;
        else if (arg == QLatin1String("-w"))
            options.wholeWords = true;
        else if (arg == QLatin1String("-l"))
            options.literal = true;
        else if (arg == QLatin1String("--text-only"))
            options.binary = false;
        else if (arg == QLatin1String("--binary-only"))
            options.text = false;
        else if (arg == QLatin1String("--files") && i + 1 < args.size())
            options.files = args[++i];
        else if (arg == QLatin1String("--grab") && i + 1 < args.size())
            options.grab = args[++i];
        else
            plain << arg;
    }
    if (plain.size() != 2) return false;
    options.pattern = plain[0];
    options.directory = plain[1];
    return true;
}

void fill(ferrolux::TfrmMain& window, const Options& options) {
    window.cboSearch->setEditText(options.pattern);
    window.txtFilespec->setText(options.files);
    window.chkInclSub->setChecked(options.subdirectories);
    window.chkCase->setChecked(options.caseSensitive);
    window.chkWord->setChecked(options.wholeWords);
    window.chkLiteral->setChecked(options.literal);
    window.chkTextFiles->setChecked(options.text);
    window.chkBinaryFiles->setChecked(options.binary);
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    Options options;
    if (!parse(app.arguments(), options)) return usage();
    // Outcome boxes would wait for a click; the bench only reports them.
    ferrolux::setMessageBoxHandler([](QObject*, const QString& text, const QString&, unsigned) {
        std::fprintf(stderr, "%s\n", text.toUtf8().constData());
        return int(ferrolux::IDOK);
    });
    ferrolux::TfrmMain window;
    window.show();
    window.FormActivate();
    if (!window.Dir1->setDirectory(QFile::encodeName(options.directory).toStdString())) {
        std::fprintf(stderr, "cannot enter %s\n", qPrintable(options.directory));
        return 1;
    }
    fill(window, options);
    QEventLoop untilFinished;
    QObject::connect(&window, &ferrolux::TfrmMain::searchFinished, &untilFinished,
                     &QEventLoop::quit);
    QElapsedTimer clock;
    clock.start();
    window.cmdSearchClick();
    if (window.searchRunning()) untilFinished.exec();
    const qint64 elapsed = clock.elapsed();
    std::printf("rows\t%d\nelapsed_ms\t%lld\nsummary\t%s\n", window.lstFiles1->count(),
                static_cast<long long>(elapsed), window.pnlStatus->text().toUtf8().constData());
    if (!options.grab.isEmpty()) {
        window.lstFiles1Click();
        app.processEvents();
        if (!window.grab().save(options.grab)) return 1;
    }
    return 0;
}
