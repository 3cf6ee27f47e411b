#include "settings/TfrmPreferences.h"

#include "platform/MessageBoxA.h"
#include "platform/ui/ScreenFonts.h"
#include "settings/EditorCheck.h"
#include "settings/PreferenceDialogs.h"
#include "settings/SettingsStore.h"
#include "settings/SettingsTarget.h"
#include "settings/SpinEdit.h"

#include <QCheckBox>
#include <QFileInfo>
#include <QFocusEvent>
#include <QGroupBox>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QScreen>
#include <QSpinBox>
#include <QTabWidget>
#include <QTextCursor>
#include <QTextEdit>
#include <QToolButton>
#include <algorithm>

namespace ferrolux {
namespace {

constexpr QSize clientSize(401, 341);
constexpr int smallestFontSize = 8;
constexpr int largestFontSize = 12;
// Where the second line of the colour sample starts, and how much of it the
// highlight colour covers.
constexpr int highlightStart = 19;
constexpr int highlightLength = 25;

template <typename T>
T* named(T* widget, const char* name) {
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

QLabel* label(QWidget* parent, const char* caption, int left, int top) {
    auto* result = new QLabel(QString::fromLatin1(caption), parent);
    result->adjustSize();
    result->move(left, top);
    return result;
}

QPushButton* button(QWidget* parent, const char* name, const char* caption, QRect geometry) {
    auto* result = named(new QPushButton(QString::fromLatin1(caption), parent), name);
    result->setGeometry(geometry);
    // Enter presses no button of this dialog.
    result->setAutoDefault(false);
    return result;
}

QSpinBox* spinEdit(QWidget* parent, const char* name, int maximum, QRect geometry) {
    auto* box = named(new SpinEdit(parent), name);
    box->setRange(1, maximum);
    box->setSingleStep(1);
    box->setGeometry(geometry);
    return box;
}

// The box's number as if it had been left: put into its limits, its
// minimum when it holds no number.
int32_t wholeNumber(QSpinBox* box) {
    box->interpretText();
    return box->value();
}

// Colours are stored as 0x00BBGGRR.
QColor fromColorRef(int32_t colour) {
    return QColor(colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF);
}

int32_t toColorRef(const QColor& colour) {
    const QColor rgb = colour.toRgb();
    return int32_t(rgb.red() | rgb.green() << 8 | rgb.blue() << 16);
}

void paintRange(QTextDocument* document, int start, int length, int32_t colour) {
    QTextCursor cursor(document);
    const int end = document->characterCount() - 1;
    cursor.setPosition(std::min(start, end));
    cursor.setPosition(std::min(start + length, end), QTextCursor::KeepAnchor);
    QTextCharFormat format;
    format.setForeground(fromColorRef(colour));
    cursor.mergeCharFormat(format);
}

// Font dialogs may spell an alias differently ("Monospace", "monospace").
bool isSameFace(const QString& family, const QFont& font) {
    return family.compare(font.family(), Qt::CaseInsensitive) == 0;
}

} // namespace

TfrmPreferences::TfrmPreferences(::ferrolux::Settings& settings, SettingsTarget& target,
                                 QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint |
                          Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint),
      settings_(settings), target_(target) {
    setObjectName(QStringLiteral("frmPreferences"));
    setWindowTitle(QStringLiteral("Preferences"));
    setFixedSize(clientSize);
    PageControl1 = named(new QTabWidget(this), "PageControl1");
    PageControl1->setGeometry(8, 8, 385, 285);
    PageControl1->setStyleSheet(QStringLiteral("QTabBar::tab { width: 100px; }"));
    PageControl1->addTab(createGeneralTab(), QStringLiteral("General"));
    PageControl1->addTab(createFontsTab(), QStringLiteral("Fonts"));
    PageControl1->addTab(createSearchTab(), QStringLiteral("Search"));
    cmdOK = button(this, "cmdOK", "&OK", {224, 304, 80, 27});
    cmdCancel = button(this, "cmdCancel", "&Cancel", {313, 304, 80, 27});
    connectHandlers();
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

void TfrmPreferences::showModal(::ferrolux::Settings& settings, SettingsTarget& target,
                                QWidget* owner) {
    auto* dialog = new TfrmPreferences(settings, target, owner);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->exec();
}

QWidget* TfrmPreferences::createGeneralTab() {
    tabGeneral = named(new QWidget, "tabGeneral");
    QWidget* tab = tabGeneral;
    label(tab, "&Maximum length of matched text", 10, 14)
        ->setBuddy(txtMaxMatchLen = spinEdit(tab, "txtMaxMatchLen", 2000, {240, 10, 64, 22}));
    label(tab, "(50 - 2000)", 310, 14);
    label(tab, "Ma&ximum  matches displayed per file", 10, 44)
        ->setBuddy(txtMaxMatches = spinEdit(tab, "txtMaxMatches", 5000, {240, 40, 64, 22}));
    label(tab, "(1 - 5000)", 310, 44);

    chkShowHint = named(new QCheckBox(QStringLiteral("&Show tool tip hints"), tab), "chkShowHint");
    chkShowHint->setLayoutDirection(Qt::RightToLeft); // caption at the left
    chkShowHint->setGeometry(10, 70, 160, 20);

    txtEditor = named(new QLineEdit(tab), "txtEditor");
    txtEditor->setGeometry(10, 116, 330, 22);
    label(tab, "Default file &editor", 10, 98)->setBuddy(txtEditor);
    cmdBrowseEditor = named(new QToolButton(tab), "cmdBrowseEditor");
    cmdBrowseEditor->setText(QStringLiteral("..."));
    cmdBrowseEditor->setGeometry(344, 116, 24, 22);

    txtStartupDir = named(new QLineEdit(tab), "txtStartupDir");
    txtStartupDir->setGeometry(10, 162, 330, 22);
    label(tab, "Default &startup directory", 10, 144)->setBuddy(txtStartupDir);
    cmdBrowseStartupDir = named(new QToolButton(tab), "cmdBrowseStartupDir");
    cmdBrowseStartupDir->setText(QStringLiteral("..."));
    cmdBrowseStartupDir->setGeometry(344, 162, 24, 22);

    createColorGroup(tab);
    return tab;
}

void TfrmPreferences::createColorGroup(QWidget* tab) {
    grpColors = named(new QGroupBox(QStringLiteral("File viewer colors"), tab), "grpColors");
    grpColors->setGeometry(10, 190, 358, 62);
    cmdTextColor = button(grpColors, "cmdTextColor", "&Text", {10, 24, 70, 26});
    cmdHighColor = button(grpColors, "cmdHighColor", "&Highlight", {86, 24, 70, 26});
    edtSample = named(new QTextEdit(grpColors), "edtSample");
    edtSample->setGeometry(166, 14, 182, 42);
    edtSample->setPlainText(QStringLiteral("Current Text Color\nCurrent Highlight Color"));
    edtSample->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    edtSample->setEnabled(false);
    // The sample shows the colours on the usual background, not a greyed one.
    QPalette palette = edtSample->palette();
    palette.setBrush(QPalette::Disabled, QPalette::Base,
                     palette.brush(QPalette::Active, QPalette::Base));
    edtSample->setPalette(palette);
}

QWidget* TfrmPreferences::createFontsTab() {
    tabFonts = named(new QWidget, "tabFonts");
    lblMatchFont =
        createFontGroup(tabFonts, "Match window display ", 8, "cmdMatchFont", cmdMatchFont);
    lblMatchFont->setObjectName(QStringLiteral("lblMatchFont"));
    lblViewerFont = createFontGroup(tabFonts, "File Viewer", 90, "cmdViewerFont", cmdViewerFont);
    lblViewerFont->setObjectName(QStringLiteral("lblViewerFont"));
    lblPrintFont = createFontGroup(tabFonts, "Printing", 172, "cmdPrintFont", cmdPrintFont);
    lblPrintFont->setObjectName(QStringLiteral("lblPrintFont"));
    return tabFonts;
}

QWidget* TfrmPreferences::createSearchTab() {
    tabSearch = named(new QWidget, "tabSearch");
    txtFoldersToSkip = named(new QLineEdit(tabSearch), "txtFoldersToSkip");
    txtFoldersToSkip->setGeometry(10, 32, 358, 22);
    label(tabSearch, "Folders to s&kip", 10, 14)->setBuddy(txtFoldersToSkip);
    auto* hint = new QLabel(QStringLiteral("Folder names or masks, separated by commas, for "
                                           "example: .git, node_modules, build*"),
                            tabSearch);
    hint->setWordWrap(true);
    hint->setGeometry(10, 58, 358, 40);
    // Searched only beside Zip files, so "Search Zip files" still turns every archive off.
    chkSearchArchives =
        named(new QCheckBox(QStringLiteral("&Also search tar, 7z and RAR archives"), tabSearch),
              "chkSearchArchives");
    chkSearchArchives->setGeometry(10, 108, 358, 20);
    return tabSearch;
}

QLabel* TfrmPreferences::createFontGroup(QWidget* tab, const char* heading, int top,
                                         const char* buttonName, QPushButton*& change) {
    auto* group = new QGroupBox(QString::fromLatin1(heading), tab);
    group->setGeometry(10, top, 358, 76);
    auto* fontLabel = new QLabel(group);
    fontLabel->setGeometry(10, 20, 252, 48);
    // A long face name at 12 points is wider than the label: it takes the
    // second line rather than losing its end.
    fontLabel->setWordWrap(true);
    change = button(group, buttonName, "Change", {272, 30, 75, 26});
    return fontLabel;
}

void TfrmPreferences::connectHandlers() {
    connect(cmdMatchFont, &QPushButton::clicked, this, &TfrmPreferences::cmdMatchFontClick);
    connect(cmdViewerFont, &QPushButton::clicked, this, &TfrmPreferences::cmdViewerFontClick);
    connect(cmdPrintFont, &QPushButton::clicked, this, &TfrmPreferences::cmdPrintFontClick);
    connect(cmdTextColor, &QPushButton::clicked, this, &TfrmPreferences::cmdTextColorClick);
    connect(cmdHighColor, &QPushButton::clicked, this, &TfrmPreferences::cmdHighColorClick);
    connect(cmdBrowseEditor, &QToolButton::clicked, this, &TfrmPreferences::cmdBrowseEditorClick);
    connect(cmdBrowseStartupDir, &QToolButton::clicked, this,
            &TfrmPreferences::cmdBrowseStartupDirClick);
    connect(cmdOK, &QPushButton::clicked, this, &TfrmPreferences::cmdOKClick);
    connect(cmdCancel, &QPushButton::clicked, this, &TfrmPreferences::cmdCancelClick);
    txtEditor->installEventFilter(this);
    txtStartupDir->installEventFilter(this);
}

void TfrmPreferences::showEvent(QShowEvent* event) {
    if (!shownOnce_) {
        shownOnce_ = true;
        FormShow();
    }
    QDialog::showEvent(event);
}

void TfrmPreferences::FormShow() {
    txtMaxMatchLen->setValue(settings_.MaxMatchLen); // out of range shows the nearest limit
    txtMaxMatches->setValue(settings_.MaxMatches);
    chkShowHint->setChecked(target_.showHint());
    txtEditor->setText(settings_.Editor);
    txtStartupDir->setText(settings_.StartupDir);
    txtFoldersToSkip->setText(settings_.FoldersToSkip);
    chkSearchArchives->setChecked(settings_.SearchArchives);
    showFontLabel(matchFont());
    showFontLabel(viewerFont());
    showFontLabel(printFont());
    ShowColorSample();
}

// Esc does not close this dialog; only its buttons and the close box do.
void TfrmPreferences::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) return;
    QDialog::keyPressEvent(event);
}

bool TfrmPreferences::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusOut) {
        // Another window taking the focus is no exit from the box.
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason) {
            if (watched == txtEditor) txtEditorExit();
            if (watched == txtStartupDir) txtStartupDirExit();
        }
    }
    return QDialog::eventFilter(watched, event);
}

TfrmPreferences::FontChoice TfrmPreferences::matchFont() {
    return {settings_.MatchFontName, settings_.MatchFontSize, lblMatchFont, QFont::Monospace};
}

TfrmPreferences::FontChoice TfrmPreferences::viewerFont() {
    return {settings_.ViewerFontName, settings_.ViewerFontSize, lblViewerFont, QFont::Monospace};
}

TfrmPreferences::FontChoice TfrmPreferences::printFont() {
    return {settings_.PrintFontName, settings_.PrintFontSize, lblPrintFont, QFont::SansSerif};
}

void TfrmPreferences::cmdMatchFontClick() {
    chooseFont(matchFont());
}

void TfrmPreferences::cmdViewerFontClick() {
    chooseFont(viewerFont());
}

void TfrmPreferences::cmdPrintFontClick() {
    chooseFont(printFont());
}

// The stored face stays unless another one is picked, even one that is not
// installed and was only shown through its closest match: confirming the
// dialog as it opened must not rename "Fixedsys" after its stand-in.
void TfrmPreferences::chooseFont(const FontChoice& choice) {
    const QFont preset = screenFont(choice.name, choice.size, choice.kind);
    const std::optional<QFont> chosen = preferenceDialogs().chooseFont(this, preset);
    if (chosen) {
        if (!isSameFace(chosen->family(), preset)) choice.name = chosen->family();
        // The platform's dialog does not limit the sizes it offers.
        const int size = chosen->pointSize() > 0 ? chosen->pointSize() : choice.size;
        choice.size = std::clamp(size, smallestFontSize, largestFontSize);
    }
    showFontLabel(choice);
}

void TfrmPreferences::showFontLabel(const FontChoice& choice) {
    choice.label->setText(QStringLiteral("%1, %2 points").arg(choice.name).arg(choice.size));
    choice.label->setFont(screenFont(choice.name, choice.size, choice.kind));
}

void TfrmPreferences::cmdTextColorClick() {
    chooseColor(settings_.ViewerTextColor);
}

void TfrmPreferences::cmdHighColorClick() {
    chooseColor(settings_.ViewerHighColor);
}

void TfrmPreferences::chooseColor(int32_t& colour) {
    const std::optional<QColor> chosen =
        preferenceDialogs().chooseColor(this, fromColorRef(colour));
    if (chosen) colour = toColorRef(*chosen);
    ShowColorSample();
}

void TfrmPreferences::ShowColorSample() {
    QTextDocument* sample = edtSample->document();
    paintRange(sample, 0, sample->characterCount(), settings_.ViewerTextColor);
    paintRange(sample, highlightStart, highlightLength, settings_.ViewerHighColor);
}

void TfrmPreferences::cmdBrowseEditorClick() {
    // Browsing starts beside the current editor when it is named by its path.
    const QStringList words = QProcess::splitCommand(txtEditor->text());
    const bool hasPath = !words.isEmpty() && words.front().contains(QLatin1Char('/'));
    const QString folder = hasPath ? QFileInfo(words.front()).absolutePath() : QString();
    const std::optional<QString> chosen = preferenceDialogs().chooseEditor(this, folder);
    if (!chosen) return;
    txtEditor->setText(editorCommandFor(*chosen));
    txtEditor->setFocus(Qt::OtherFocusReason); // checked when the focus leaves it
}

// The choice counts at once, as if the box had been left.
void TfrmPreferences::cmdBrowseStartupDirClick() {
    const std::optional<QString> chosen =
        preferenceDialogs().chooseDirectory(this, txtStartupDir->text());
    if (!chosen) return;
    txtStartupDir->setText(*chosen);
    txtStartupDirExit();
}

void TfrmPreferences::txtEditorExit() {
    if (txtEditor->text().isEmpty()) {
        txtEditor->setText(QStringLiteral("notepad.exe"));
        return;
    }
    const EditorProblem problem = checkEditor(txtEditor->text());
    if (problem != EditorProblem::None)
        MessageBoxA(this, editorProblemText(problem), QStringLiteral("Error"),
                    MB_OK | MB_ICONWARNING);
}

void TfrmPreferences::txtStartupDirExit() {
    settings_.StartupDir = txtStartupDir->text();
}

void TfrmPreferences::cmdOKClick() {
    settings_.MaxMatchLen = wholeNumber(txtMaxMatchLen);
    settings_.MaxMatches = wholeNumber(txtMaxMatches);
    target_.setShowHint(chkShowHint->isChecked());
    settings_.Editor = txtEditor->text();
    settings_.SearchArchives = chkSearchArchives->isChecked();
    settings_.FoldersToSkip = txtFoldersToSkip->text();
    // After a failed write the dialog stays open for another try.
    const StoreOutcome saved = SaveSettings(settings_, target_, RegistryStore::standard());
    if (!saved) {
        MessageBoxA(this, *saved.message);
        return;
    }
    accept();
}

void TfrmPreferences::cmdCancelClick() {
    reject();
}

} // namespace ferrolux
