#include "print/TfrmPrint.h"

#include "platform/MessageBoxA.h"
#include "platform/ui/ReportPrinter.h"
#include "print/PrintTexts.h"

#include <QButtonGroup>
#include <QDialogButtonBox>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QGroupBox>
#include <QGuiApplication>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>

namespace ferrolux {
namespace {

const char* const optionCaptions[] = {"File list only", "Matches for currently selected file",
                                      "Matches for all files"};

QPushButton* button(QWidget* parent, const char* name, const char* caption, int left) {
    auto* result = new QPushButton(QString::fromLatin1(caption), parent);
    result->setObjectName(QString::fromLatin1(name));
    result->setGeometry(left, 136, 90, 40);
    return result;
}

void runPrintDialog(QPrinter& printer, QWidget* parent) {
    QPrintDialog dialog(&printer, parent);
    dialog.setWindowTitle(QStringLiteral("Print Setup"));
    // It only chooses the printer; printing is the Print button's.
    if (auto* buttons = dialog.findChild<QDialogButtonBox*>())
        if (QPushButton* confirm = buttons->button(QDialogButtonBox::Ok))
            confirm->setText(QStringLiteral("&OK"));
    // The reports always print every page; only the printer is chosen here.
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
    dialog.setOption(QAbstractPrintDialog::PrintCurrentPage, false);
    dialog.setOption(QAbstractPrintDialog::PrintSelection, false);
    dialog.exec();
}

std::optional<QString> runSaveDialog(QFileDialog& dialog) {
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().constFirst();
}

bool confirmOverwrite(QWidget* owner, const QString& path, const QString& caption) {
    return MessageBoxA(owner, replaceFileQuestion(QFileInfo(path).fileName(), caption)) == IDYES;
}

// The PDF file the current printer writes, or nothing for a real printer.
QString pdfTarget() {
    const QPrinter& printer = currentPrinter();
    return printer.outputFormat() == QPrinter::PdfFormat ? printer.outputFileName() : QString();
}

} // namespace

TfrmPrint::TfrmPrint(std::function<bool()> fileSelected, QWidget* parent)
    : QDialog(parent), fileSelected_(std::move(fileSelected)), items_(new QButtonGroup(this)) {
    setObjectName(QStringLiteral("frmPrint"));
    setWindowTitle(QStringLiteral("Print"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    setFixedSize(408, 218);
    createOptions();
    createButtons();
    createSaveDialog();
    showPrinterSetup = [this](QPrinter& printer) { runPrintDialog(printer, this); };
    showSaveDialog = runSaveDialog;
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->geometry().center() - rect().center());
}

void TfrmPrint::createOptions() {
    optPrint = new QGroupBox(QStringLiteral(" Print Options "), this);
    optPrint->setObjectName(QStringLiteral("optPrint"));
    optPrint->setGeometry(10, 8, 381, 105);
    for (int index = 0; index < 3; ++index) {
        auto* item = new QRadioButton(QString::fromLatin1(optionCaptions[index]), optPrint);
        item->setGeometry(16, 24 + 24 * index, 350, 20);
        items_->addButton(item, index);
    }
    setItemIndex(0);
}

void TfrmPrint::createButtons() {
    cmdPrintSetup = button(this, "cmdPrintSetup", "Print &Setup", 8);
    cmdPrint = button(this, "cmdPrint", "&Print", 105);
    cmdFile = button(this, "cmdFile", "Print to &File", 202);
    cmdCancel = button(this, "cmdCancel", "&Cancel", 297);
    cmdPrint->setDefault(true);
    setTabOrder(optPrint, cmdPrintSetup);
    setTabOrder(cmdPrintSetup, cmdPrint);
    setTabOrder(cmdPrint, cmdFile);
    setTabOrder(cmdFile, cmdCancel);
    connect(cmdPrintSetup, &QPushButton::clicked, this, &TfrmPrint::cmdPrintSetupClick);
    connect(cmdPrint, &QPushButton::clicked, this, &TfrmPrint::cmdPrintClick);
    connect(cmdFile, &QPushButton::clicked, this, &TfrmPrint::cmdFileClick);
    connect(cmdCancel, &QPushButton::clicked, this, &TfrmPrint::cmdCancelClick);
}

void TfrmPrint::createSaveDialog() {
    dlgSave = new QFileDialog(this, QStringLiteral("Print to File"));
    dlgSave->setObjectName(QStringLiteral("dlgSave"));
    dlgSave->setAcceptMode(QFileDialog::AcceptSave);
    dlgSave->setFileMode(QFileDialog::AnyFile);
    // "*.*" would hide the many Linux files without a dot in their names.
    dlgSave->setNameFilters(
        {QStringLiteral("Text files (*.txt)"), QStringLiteral("All files (*)")});
    dlgSave->setDefaultSuffix(QStringLiteral("txt"));
    // The question about an existing file is ours, asked once the default
    // extension is on the name.
    dlgSave->setOption(QFileDialog::DontConfirmOverwrite);
}

std::optional<PrintRequest> TfrmPrint::choosePrint() {
    printFileName_.clear();
    printOption_ = -1;
    exec();
    if (printOption_ < int32_t(PrintChoice::FileListOnly) ||
        printOption_ > int32_t(PrintChoice::MatchesOfAllFiles))
        return std::nullopt;
    return PrintRequest{PrintChoice(printOption_), {printFileName_}};
}

int TfrmPrint::ItemIndex() const {
    return items_->checkedId();
}

void TfrmPrint::setItemIndex(int index) {
    items_->button(index)->setChecked(true);
}

void TfrmPrint::cmdPrintSetupClick() {
    const QString before = pdfTarget();
    showPrinterSetup(currentPrinter());
    // Choosing another, existing file there asked about replacing it already.
    const QString pdf = pdfTarget();
    if (pdf != before) replaceConfirmed_ = QFileInfo::exists(pdf) ? pdf : QString();
}

void TfrmPrint::cmdPrintClick() {
    if (!takeOption()) return;
    if (!confirmPdfReplacement()) {
        printOption_ = -1;
        return;
    }
    replaceConfirmed_.clear();
    accept();
}

// A PDF written by an earlier print is not replaced unasked; on No the
// dialog stays open for Print Setup to choose another file.
bool TfrmPrint::confirmPdfReplacement() {
    const QString pdf = pdfTarget();
    if (pdf.isEmpty() || !QFileInfo::exists(pdf) || pdf == replaceConfirmed_) return true;
    return confirmOverwrite(this, pdf, QStringLiteral("Print"));
}

void TfrmPrint::cmdFileClick() {
    if (!takeOption()) return;
    if (const std::optional<QString> path = chooseFile())
        printFileName_ = QFile::encodeName(*path).toStdString();
    else
        printOption_ = -1;
    accept();
}

void TfrmPrint::cmdCancelClick() {
    reject();
}

bool TfrmPrint::takeOption() {
    printOption_ = ItemIndex();
    if (printOption_ != int32_t(PrintChoice::MatchesOfSelectedFile) || fileSelected_()) return true;
    MessageBoxA(this, noFileSelected());
    printOption_ = -1;
    return false;
}

std::optional<QString> TfrmPrint::chooseFile() {
    for (;;) {
        const std::optional<QString> chosen = showSaveDialog(*dlgSave);
        if (!chosen) return {};
        const QString path = withDefaultExtension(*chosen, QStringLiteral("txt"));
        if (!QFileInfo::exists(path) ||
            confirmOverwrite(this, path, QStringLiteral("Print to File")))
            return path;
        dlgSave->selectFile(path);
    }
}

} // namespace ferrolux
