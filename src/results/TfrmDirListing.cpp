#include "results/TfrmDirListing.h"

#include "results/DirListing.h"
#include "platform/DisplayText.h"

#include <QFontMetrics>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>

namespace ferrolux {
namespace {

constexpr int ClientWidth = 249;
constexpr int ClientHeight = 354;

QLabel* makeLabel(QWidget* parent, const char* name, int top) {
    auto* label = new QLabel(parent);
    label->setObjectName(QLatin1String(name));
    label->setGeometry(0, top, ClientWidth, 16);
    return label;
}

QPushButton* makeButton(QWidget* parent, const char* name, const QString& caption, int left) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(QLatin1String(name));
    button->setGeometry(left, 312, 81, 33);
    button->setAutoDefault(false);
    return button;
}

} // namespace

TfrmDirListing::TfrmDirListing(QWidget* owner, FileActionHost& host)
    : QDialog(owner, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                         Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      host_(host) {
    setObjectName(QStringLiteral("frmDirListing"));
    setWindowTitle(QStringLiteral("Files in Directory"));
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setPixelSize(13);
    setFont(font);
    setFixedSize(ClientWidth, ClientHeight);

    lblDirName1 = makeLabel(this, "lblDirName1", 0);
    lblDirName2 = makeLabel(this, "lblDirName2", 18);
    File1 = new QListWidget(this);
    File1->setObjectName(QStringLiteral("File1"));
    File1->setGeometry(0, 40, ClientWidth, 260);
    File1->setSelectionMode(QAbstractItemView::ExtendedSelection);
    File1->setUniformItemSizes(true);
    cmdSelect = makeButton(this, "cmdSelect", QStringLiteral("&Select"), 38);
    cmdClose = makeButton(this, "cmdClose", QStringLiteral("&Close"), 130);

    connect(cmdSelect, &QPushButton::clicked, this, &TfrmDirListing::cmdSelectClick);
    connect(cmdClose, &QPushButton::clicked, this, &TfrmDirListing::cmdCloseClick);
    FormCreate();
}

void TfrmDirListing::showModal(QWidget* owner, FileActionHost& host) {
    auto* listing = new TfrmDirListing(owner, host);
    listing->setAttribute(Qt::WA_DeleteOnClose);
    listing->exec();
}

void TfrmDirListing::FormCreate() {
    const std::string directory = host_.currentDirectory();
    for (const std::string& name : listDirectoryFiles(directory))
        File1->addItem(displayText(name));

    const QFontMetrics metrics(font());
    const PathLines lines =
        splitPathForLabels(displayText(directory), lblDirName1->width(),
                           [&](const QString& text) { return metrics.horizontalAdvance(text); });
    lblDirName1->setText(lines.first);
    lblDirName2->setText(lines.second);

    move(listingPosition(host_.listingAnchor(), ClientHeight));
}

void TfrmDirListing::cmdSelectClick() {
    QStringList names;
    for (int i = 0; i < File1->count(); ++i)
        if (File1->item(i)->isSelected()) names << File1->item(i)->text();
    host_.setFileSpec(appendFileNames(host_.fileSpec(), names));
}

void TfrmDirListing::cmdCloseClick() {
    close();
}

} // namespace ferrolux
