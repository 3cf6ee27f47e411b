#include "viewer/TfrmViewer.h"

#include "search/GrepEngine.h"
#include "search/TextDecoding.h"
#include "viewer/BinaryText.h"

#include <QGuiApplication>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QStyle>
#include <QTextBlock>
#include <QTimer>
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

// The hourglass for as long as the viewer loads.
struct WaitCursor {
    WaitCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QGuiApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

// About a tenth of a second of work for the text control, and a part of a
// text file decoded at a time.
constexpr qsizetype SliceCharacters = qsizetype(1) << 20;
constexpr size_t DecodePartBytes = size_t(8) << 20;

} // namespace

// What a viewer holds while its file goes into the text control.
struct TfrmViewer::Loading {
    WaitCursor hourglass;
    Settings settings;
    std::string bytes;      // text mode: the file, until it is decoded
    size_t decoded = 0;     // how much of it is decoded
    TextModeDocument doc;   // text mode: the lines
    std::string shown;      // binary mode: the text the engine searches
    QString text;           // what the control is to show
    qsizetype inserted = 0; // how much of it is there already
};

TfrmViewer::TfrmViewer(QWidget* owner, const ViewerSource& source, const ViewerRequest& request,
                       ViewerMatchTable& table)
    : QDialog(owner, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                         Qt::WindowMaximizeButtonHint | Qt::WindowCloseButtonHint),
      source_(source), table_(table), CurrentFilePath(request.CurrentFilePath),
      TargetMatch(request.TargetMatch) {
    setObjectName(QStringLiteral("frmViewer"));
    setWindowTitle(request.caption);
    setFont(QFont(QStringLiteral("MS Sans Serif")));

    edtFile = new QPlainTextEdit(this);
    edtFile->setObjectName(QStringLiteral("edtFile"));
    edtFile->setReadOnly(true);
    // Read-only, yet the caret shows and follows clicks and cursor keys.
    edtFile->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    edtFile->setLineWrapMode(QPlainTextEdit::NoWrap);
    edtFile->setUndoRedoEnabled(false);

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

    move(0, 0);
    applyScreenLayout(0);
}

TfrmViewer::~TfrmViewer() = default;

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

void TfrmViewer::FormShow() {
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        applyScreenLayout(screen->geometry().width());
    loading_ = std::make_unique<Loading>();
    loading_->settings = source_.settings();
    applyViewerSettings(loading_->settings);
    table_.count = 0;
    const FileResult* row = source_.selectedFileRow();
    table_.binaryMode = row && row->Type == QLatin1String("B");
    const int64_t size = row ? row->Size : 0;
    // Read from the event loop, so the window can show itself first.
    QTimer::singleShot(0, this, [this, size] {
        if (table_.binaryMode)
            startBinaryMode(size);
        else
            startTextMode();
    });
}

void TfrmViewer::FormResize() {
    const int buttonTop = height() - ButtonsFromBottom;
    cmdPrev->move(cmdPrev->x(), buttonTop);
    cmdNext->move(cmdNext->x(), buttonTop);
    cmdClose->move(cmdClose->x(), buttonTop);
    edtFile->setGeometry(0, 0, width(), cmdClose->y() - TextAboveButtons);
}

void TfrmViewer::applyViewerSettings(const Settings& settings) {
    QFont font(settings.ViewerFontName);
    font.setStyleHint(QFont::TypeWriter);
    if (settings.ViewerFontSize > 0) font.setPointSize(settings.ViewerFontSize);
    edtFile->setFont(font);
    QPalette palette = edtFile->palette();
    palette.setColor(QPalette::Text, fromColorRef(settings.ViewerTextColor));
    edtFile->setPalette(palette);
}

void TfrmViewer::startTextMode() {
    edtFile->setLineWrapMode(QPlainTextEdit::NoWrap);
    FileBytes file = readFileBytes(CurrentFilePath);
    if (file.error != 0) return showLoadError(file.error);
    loading_->bytes = std::move(file.bytes);
    loading_->doc.text.reserve(qsizetype(loading_->bytes.size()));
    QTimer::singleShot(0, this, &TfrmViewer::decodeNextPart);
}

// Parts end after a line feed, so no line is split between two of them.
void TfrmViewer::decodeNextPart() {
    if (!loading_) return;
    const std::string_view bytes = loading_->bytes;
    size_t end = std::min(loading_->decoded + DecodePartBytes, bytes.size());
    if (end < bytes.size()) {
        const size_t lineFeed = bytes.find('\n', end);
        end = lineFeed == std::string_view::npos ? bytes.size() : lineFeed + 1;
    }
    const bool last = end == bytes.size();
    appendTextLines(loading_->doc, bytes.substr(loading_->decoded, end - loading_->decoded), last);
    loading_->decoded = end;
    if (!last) {
        QTimer::singleShot(0, this, &TfrmViewer::decodeNextPart);
        return;
    }
    loading_->bytes = std::string();
    loading_->text = loading_->doc.text;
    insertNextSlice();
}

void TfrmViewer::startBinaryMode(int64_t size) {
    edtFile->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    // Size is what the search recorded; a file that shrank since shows what is left.
    FileBytes file = readFileBytes(CurrentFilePath, std::max<int64_t>(size, 0));
    if (file.error != 0) return showLoadError(file.error);
    loading_->shown = binaryShownText(std::move(file.bytes));
    loading_->text = ControlOffsets(loading_->shown).controlText(loading_->shown);
    insertNextSlice();
}

void TfrmViewer::showLoadError(int error) {
    edtFile->setPlainText(
        QStringLiteral("The file could not be read:\n%1\n\n%2")
            .arg(displayText(CurrentFilePath), QString::fromLocal8Bit(std::strerror(error))));
    loading_.reset();
    emit loaded();
}

// Slices end after a line feed, so a CR LF pair is never split (the control
// would count it as two line breaks) and every slice starts a new line.
void TfrmViewer::insertNextSlice() {
    if (!loading_) return;
    const QString& text = loading_->text;
    qsizetype end = std::min(loading_->inserted + SliceCharacters, text.size());
    if (end < text.size()) {
        const qsizetype lineFeed = text.indexOf(QLatin1Char('\n'), end);
        end = lineFeed < 0 ? text.size() : lineFeed + 1;
    }
    QTextCursor cursor(edtFile->document());
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(text.mid(loading_->inserted, end - loading_->inserted));
    loading_->inserted = end;
    if (end < text.size())
        QTimer::singleShot(0, this, &TfrmViewer::insertNextSlice);
    else
        finishLoading();
}

void TfrmViewer::finishLoading() {
    const Settings& settings = loading_->settings;
    GrepEngine engine;
    if (table_.binaryMode)
        colour(findBinaryMatches(engine, loading_->shown, source_.searchPattern(), caseFlag(),
                                 settings.MaxMatches, settings.MaxMatchLen, table_));
    else
        colour(findTextMatches(engine, CurrentFilePath, source_.searchPattern(), caseFlag(),
                               loading_->doc, settings.MaxMatches, table_));
    lines_.lineStarts = std::move(loading_->doc.lineStarts);
    setFirstPosition();
    loading_.reset();
    emit loaded();
}

// Formats in the document itself, in one edit with undo off: painting then
// costs nothing extra however many matches there are.
void TfrmViewer::colour(const std::vector<ColourRange>& ranges) {
    QTextCharFormat format;
    format.setForeground(fromColorRef(loading_->settings.ViewerHighColor));
    QTextCursor cursor(edtFile->document());
    cursor.beginEditBlock();
    for (const ColourRange& range : ranges) {
        cursor.setPosition(range.start);
        cursor.setPosition(range.start + range.length, QTextCursor::KeepAnchor);
        cursor.mergeCharFormat(format);
    }
    cursor.endEditBlock();
}

void TfrmViewer::setFirstPosition() {
    if (TargetMatch < 0) {
        placeCaret(0);
        edtFile->verticalScrollBar()->setValue(0);
    } else if (table_.binaryMode) {
        // The list may show matches the viewer does not colour (it strips
        // more characters); an entry past count would be stale.
        placeCaret(TargetMatch < table_.count ? table_.positions[TargetMatch] : 0);
        edtFile->centerCursor();
    } else if (!lines_.lineStarts.empty()) {
        const int lastLine = int(lines_.lineStarts.size()) - 1;
        placeCaret(lines_.lineStarts[size_t(std::clamp(TargetMatch - 1, 0, lastLine))]);
        edtFile->verticalScrollBar()->setValue(edtFile->textCursor().blockNumber());
    }
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

void TfrmViewer::moveToMatch(bool forward) {
    const int caret = edtFile->textCursor().selectionStart();
    const int32_t v = table_.binaryMode ? caret : lines_.lineOf(caret);
    const std::optional<int32_t> i = forward ? table_.nextAfter(v) : table_.previousBefore(v);
    if (!i) return;
    placeCaretKeepingRow(table_.binaryMode ? table_.positions[*i] : table_.lineStarts[*i]);
}

// Scrolls by as many lines as the caret moves, so the target takes the row
// the caret had (the first visible line stays the first visible line).
void TfrmViewer::placeCaretKeepingRow(int offset) {
    const int oldTop = edtFile->cursorRect().top();
    const bool wasVisible = oldTop >= 0 && oldTop < edtFile->viewport()->height();
    placeCaret(offset);
    if (!wasVisible) return;
    const int lineHeight = std::max(1, edtFile->fontMetrics().lineSpacing());
    const int lines = (edtFile->cursorRect().top() - oldTop) / lineHeight;
    QScrollBar* bar = edtFile->verticalScrollBar();
    bar->setValue(bar->value() + lines);
    edtFile->ensureCursorVisible();
}

void TfrmViewer::placeCaret(int offset) {
    QTextCursor cursor(edtFile->document());
    cursor.setPosition(std::clamp(offset, 0, edtFile->document()->characterCount() - 1));
    edtFile->setTextCursor(cursor);
}

int TfrmViewer::caseFlag() const {
    return source_.caseSensitive() ? GrepTrue : GrepFalse;
}

} // namespace ferrolux
