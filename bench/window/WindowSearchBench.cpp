// Times a search started from the main window, from the press of Search to
// the summary, so that it can be compared with the command-line driver on the
// same tree. With --grab it also saves a picture of the window afterwards.
#include "app/MainResultLists.h"
#include "app/MainSearch.h"
#include "app/TfrmMain.h"
#include "platform/MessageBoxA.h"
#include "platform/ui/DirectoryListBox.h"

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

// A control of the window by its name.
template <typename T>
T* child(const QWidget& window, const char* name) {
    return window.findChild<T*>(QString::fromLatin1(name));
}

void fill(const ferrolux::TfrmMain& window, const Options& options) {
    child<QComboBox>(window, "cboSearch")->setEditText(options.pattern);
    child<QLineEdit>(window, "txtFilespec")->setText(options.files);
    child<QCheckBox>(window, "chkInclSub")->setChecked(options.subdirectories);
    child<QCheckBox>(window, "chkCase")->setChecked(options.caseSensitive);
    child<QCheckBox>(window, "chkWord")->setChecked(options.wholeWords);
    child<QCheckBox>(window, "chkLiteral")->setChecked(options.literal);
    child<QCheckBox>(window, "chkTextFiles")->setChecked(options.text);
    child<QCheckBox>(window, "chkBinaryFiles")->setChecked(options.binary);
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
    if (!child<ferrolux::DirectoryListBox>(window, "Dir1")
             ->setDirectory(QFile::encodeName(options.directory).toStdString())) {
        std::fprintf(stderr, "cannot enter %s\n", qPrintable(options.directory));
        return 1;
    }
    fill(window, options);
    QEventLoop untilFinished;
    QObject::connect(&window, &ferrolux::TfrmMain::searchFinished, &untilFinished,
                     &QEventLoop::quit);
    QElapsedTimer clock;
    clock.start();
    window.search().cmdSearchClick();
    if (window.search().searchRunning()) untilFinished.exec();
    const qint64 elapsed = clock.elapsed();
    std::printf("rows\t%zu\nelapsed_ms\t%lld\nsummary\t%s\n", window.session().rows().size(),
                static_cast<long long>(elapsed),
                child<QLabel>(window, "pnlStatus")->text().toUtf8().constData());
    if (!options.grab.isEmpty()) {
        window.resultLists().lstFiles1Click();
        app.processEvents();
        if (!window.grab().save(options.grab)) return 1;
    }
    return 0;
}
