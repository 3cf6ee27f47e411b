#include "viewer/TfrmViewer.h"

#include "platform/DisplayText.h"

#include <QGuiApplication>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QWindow>
#include <algorithm>
#include <cstring>

namespace ferrolux {
namespace {

// Client sizes and button positions of the designed and the compact layout.
struct ViewerLayout {
    QSize client;
    int buttonTop;
    int prevLeft, nextLeft, closeLeft;
};
constexpr ViewerLayout DesignLayout{{1014, 649}, 592, 275, 435, 611};
constexpr ViewerLayout CompactLayout{{790, 547}, 490, 130, 290, 470};

constexpr int ButtonsFromBottom = 57;
constexpr int TextAboveButtons = 15;

// How often the window takes in what the loading threads found.
constexpr int ProgressMs = 20;
// How often the file is checked for a change on disk.
constexpr int ChangeCheckMs = 500;

QColor fromColorRef(int32_t bgr) {
    return QColor(bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF);
}

QPushButton* makeButton(QWidget* parent, const char* name, const QString& caption, QSize size) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(QLatin1String(name));
    button->resize(size);
    button->setAutoDefault(false);
    return button;
}

} // namespace

TfrmViewer::TfrmViewer(QWidget* owner, const ViewerSource& source, const ViewerRequest& request,
                       ViewerMatchTable& table)
    : QDialog(owner, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                         Qt::WindowMaximizeButtonHint | Qt::WindowCloseButtonHint),
      source_(source), table_(table), CurrentFilePath(request.CurrentFilePath),
      TargetMatch(request.TargetMatch) {
    setObjectName(QStringLiteral("frmViewer"));
    setWindowTitle(request.caption);
    setFont(QFont(QStringLiteral("MS Sans Serif")));

    edtFile = new ViewerTextView(this);
    edtFile->setObjectName(QStringLiteral("edtFile"));

    cmdPrev = makeButton(this, "cmdPrev", QStringLiteral("&Previous Match"), {142, 49});
    cmdPrev->setIcon(style()->standardIcon(QStyle::SP_ArrowUp));
    cmdNext = makeButton(this, "cmdNext", QStringLiteral("&Next Match"), {142, 49});
    cmdNext->setIcon(style()->standardIcon(QStyle::SP_ArrowDown));
    cmdClose = makeButton(this, "cmdClose", QStringLiteral("&Close"), {113, 49});
    setTabOrder(edtFile, cmdPrev);
    setTabOrder(cmdPrev, cmdNext);
    setTabOrder(cmdNext, cmdClose);

    connect(cmdPrev, &QPushButton::clicked, this, &TfrmViewer::cmdPrevClick);
    connect(cmdNext, &QPushButton::clicked, this, &TfrmViewer::cmdNextClick);
    connect(cmdClose, &QPushButton::clicked, this, &TfrmViewer::cmdCloseClick);
    // Once the user has moved, a match still to be shown no longer moves the caret.
    connect(edtFile, &ViewerTextView::userMoved, this, [this] { targetPending_ = false; });

    progressTimer_.setSingleShot(true);
    progressTimer_.setInterval(ProgressMs);
    connect(&progressTimer_, &QTimer::timeout, this, &TfrmViewer::takeProgress);
    changeTimer_.setInterval(ChangeCheckMs);
    connect(&changeTimer_, &QTimer::timeout, this, &TfrmViewer::reloadIfChanged);
    // A key or a click acts on the text as it is now.
    edtFile->installEventFilter(this);
    edtFile->viewport()->installEventFilter(this);

    move(0, 0);
    applyScreenLayout(0);
}

TfrmViewer::~TfrmViewer() {
    file_.reset(); // stops the loading threads before the window goes
    setBusy(false);
}

void TfrmViewer::showModal(QWidget* owner, const ViewerSource& source,
                           const ViewerRequest& request) {
    auto* viewer = new TfrmViewer(owner, source, request);
    viewer->setAttribute(Qt::WA_DeleteOnClose);
    viewer->exec();
}

void TfrmViewer::applyScreenLayout(int screenWidth) {
    const ViewerLayout& layout = screenWidth == 800 ? CompactLayout : DesignLayout;
    if (screenWidth == 800) move(x(), 0);
    cmdPrev->move(layout.prevLeft, layout.buttonTop);
    cmdNext->move(layout.nextLeft, layout.buttonTop);
    cmdClose->move(layout.closeLeft, layout.buttonTop);
    resize(layout.client);
    FormResize();
}

void TfrmViewer::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (shown_) return;
    shown_ = true;
    FormShow();
}

void TfrmViewer::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    FormResize();
}

// On a screen lower than the designed window (1024 x 600) the window would
// reach past the screen's foot, its buttons with it: it is made no larger
// than the screen's available area, its frame included.
void TfrmViewer::fitToScreen() {
    const QScreen* screen = this->screen();
    if (!screen) return;
    const QRect available = screen->availableGeometry();
    const QMargins frame = windowHandle() ? windowHandle()->frameMargins() : QMargins();
    fittedFrame_ = frame;
    const QSize room(available.width() - frame.left() - frame.right(),
                     available.height() - frame.top() - frame.bottom());
    const QSize fitted = size().boundedTo(room);
    if (fitted != size()) resize(fitted);
    if (!available.contains(frameGeometry())) move(available.topLeft());
}

// The window manager tells the frame only once it has framed the window;
// the user's own moves leave the window where it is put.
void TfrmViewer::moveEvent(QMoveEvent* event) {
    QDialog::moveEvent(event);
    if (shown_ && windowHandle() && windowHandle()->frameMargins() != fittedFrame_) fitToScreen();
}

void TfrmViewer::FormShow() {
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        applyScreenLayout(screen->geometry().width());
    fitToScreen();
    const ViewerSettings settings = source_.viewerSettings();
    applyViewerSettings(settings);
    table_.count = 0;
    const FileResult* row = source_.selectedFileRow();
    table_.binaryMode = row && row->Type == QLatin1String("B");
    ViewerJob job;
    job.path = CurrentFilePath;
    job.binary = table_.binaryMode;
    job.size = row ? row->Size : 0;
    job.pattern = source_.searchPattern();
    job.caseSensitive = source_.caseSensitive();
    job.maxMatches = settings.MaxMatches;
    job.maxMatchLen = settings.MaxMatchLen;
    open(job);
    changeTimer_.start();
}

bool TfrmViewer::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress || event->type() == QEvent::MouseButtonPress)
        reloadIfChanged();
    return QDialog::eventFilter(watched, event);
}

void TfrmViewer::reloadIfChanged() {
    if (!file_ || !file_->changedOnDisk()) return;
    restoreCaret_ = edtFile->textCursor().position;
    restoreScreenLine_ = edtFile->screenLineOf(restoreCaret_).value_or(0);
    restorePending_ = true;
    table_.count = 0;
    loaded_ = false;
    open(job_);
    targetPending_ = false;
}

void TfrmViewer::FormResize() {
    const int buttonTop = height() - ButtonsFromBottom;
    cmdPrev->move(cmdPrev->x(), buttonTop);
    cmdNext->move(cmdNext->x(), buttonTop);
    cmdClose->move(cmdClose->x(), buttonTop);
    edtFile->setGeometry(0, 0, width(), cmdClose->y() - TextAboveButtons);
}

void TfrmViewer::applyViewerSettings(const ViewerSettings& settings) {
    QFont font(settings.ViewerFontName);
    font.setStyleHint(QFont::TypeWriter);
    if (settings.ViewerFontSize > 0) font.setPointSize(settings.ViewerFontSize);
    edtFile->setFont(font);
    QPalette palette = edtFile->palette();
    palette.setColor(QPalette::Text, fromColorRef(settings.ViewerTextColor));
    edtFile->setPalette(palette);
    edtFile->highlights().setColor(fromColorRef(settings.ViewerHighColor));
}

void TfrmViewer::open(const ViewerJob& job) {
    job_ = job;
    edtFile->setWordWrap(job.binary);
    edtFile->highlights().setWholeLines(!job.binary);
    int error = 0;
    file_ = ViewerFile::open(
        job, [this] { progressed(); }, error);
    if (!file_) {
        const QString why =
            QStringLiteral("The file could not be read:\n%1\n\n%2")
                .arg(displayText(CurrentFilePath), QString::fromLocal8Bit(std::strerror(error)));
        file_ = ViewerFile::showText(why.toStdString());
    }
    edtFile->setRows(file_->reader());
    targetPending_ = TargetMatch >= 0;
    setBusy(true);
    takeProgress();
}

// Called on the loading threads: the window takes the news from its own.
void TfrmViewer::progressed() {
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (!progressTimer_.isActive()) progressTimer_.start();
        },
        Qt::QueuedConnection);
}

void TfrmViewer::takeProgress() {
    if (!file_ || loaded_) return;
    ViewerFile::Progress progress = file_->takeProgress();
    edtFile->rowsGrew();
    const int32_t room = ViewerMatchTable::Capacity - table_.count;
    if (int64_t(progress.matches.size()) > room) progress.matches.resize(size_t(room));
    for (const FoundMatch& match : progress.matches)
        table_.positions[size_t(table_.count++)] = match.position;
    edtFile->highlights().add(progress.matches);
    if (targetPending_) placeAtTarget(progress.index, progress.finished);
    if (!progress.finished) return;
    if (restorePending_) {
        restorePending_ = false;
        const int64_t caret = std::min(restoreCaret_, progress.index.knownEnd.offset);
        edtFile->setCaretPosition(caret);
        edtFile->scrollToShow(caret, restoreScreenLine_);
    }
    loaded_ = true;
    setBusy(false);
    emit loaded();
}

// Text mode: the target line becomes the first visible line (as far as
// the text allows) once enough rows after it are known. Binary mode: the
// target match, once found; an entry the viewer never found (it strips
// more characters than the match list) leaves the caret at the start.
void TfrmViewer::placeAtTarget(const RowIndex::State& index, bool finished) {
    const RowReader& rows = *file_->reader();
    if (table_.binaryMode) {
        if (TargetMatch < table_.count) {
            const int64_t offset = table_.positions[size_t(TargetMatch)];
            edtFile->setCaretPosition(offset);
            edtFile->scrollToShow(offset, edtFile->visibleLineCount() / 2);
        } else if (!finished) {
            return;
        }
        targetPending_ = false;
        return;
    }
    int64_t line = std::max(0, TargetMatch - 1);
    if (index.complete) line = std::min(line, index.knownEnd.line);
    const std::optional<NumberedRow> first = rows.firstRowOfLine(line);
    if (!first) return;
    if (!index.complete && first->number + edtFile->visibleLineCount() >= index.rows) return;
    edtFile->setCaretPosition(first->span.start);
    edtFile->setTopLine({first->number, 0});
    targetPending_ = false;
}

void TfrmViewer::cmdPrevClick() {
    moveToMatch(false);
}

void TfrmViewer::cmdNextClick() {
    moveToMatch(true);
}

void TfrmViewer::cmdCloseClick() {
    close();
}

// From the caret (the start of the selection) to the next or previous match;
// the match takes the caret's place on screen, the first line when the
// caret was out of sight. No wrap-around; focus goes back to the text.
void TfrmViewer::moveToMatch(bool forward) {
    edtFile->setFocus();
    targetPending_ = false;
    const int64_t caret = edtFile->textCursor().selectionStart();
    const int64_t v = table_.binaryMode ? caret : edtFile->lineOf(caret);
    const std::optional<int32_t> i = forward ? table_.nextAfter(v) : table_.previousBefore(v);
    if (!i) return;
    int64_t target = table_.positions[size_t(*i)];
    if (!table_.binaryMode) {
        const std::optional<NumberedRow> first = file_->reader()->firstRowOfLine(target);
        if (!first) return;
        target = first->span.start;
    }
    const std::optional<int> screenLine = edtFile->screenLineOf(caret);
    edtFile->setCaretPosition(target);
    edtFile->scrollToShow(target, screenLine.value_or(0));
    edtFile->ensureCaretVisible(); // sideways too
}

void TfrmViewer::setBusy(bool busy) {
    if (busy == busy_) return;
    busy_ = busy;
    if (busy)
        QGuiApplication::setOverrideCursor(Qt::BusyCursor);
    else
        QGuiApplication::restoreOverrideCursor();
}

} // namespace ferrolux
