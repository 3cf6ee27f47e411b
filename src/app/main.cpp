#include "app/MainPrint.h"
#include "app/MainResultLists.h"
#include "app/Startup.h"
#include "app/TfrmAbout.h"
#include "app/TfrmMain.h"
#include "app/TfrmSplash.h"
#include "platform/files/TempFolders.h"
#include "platform/posix/Descriptors.h"
#include "platform/ui/QtMessageBox.h"
#include "platform/ui/ScreenFonts.h"
#include "print/TfrmPrint.h"

#include <QApplication>

// Start-up in order: title, screen check, splash, the windows, message loop.
int main(int argc, char** argv) {
    using namespace ferrolux;
    preparePrivateFolders(); // before any thread starts
    raiseOpenFileLimit();
    QApplication app(argc, argv);
    app.setApplicationName(QStringLiteral("Ferrolux"));
    QGuiApplication::setDesktopFileName(QStringLiteral("ferrolux"));
    installQtMessageBoxes();
    const QSize screen = primaryScreenSize();
    if (refuseSmallScreen(screen, usableScreenSize())) return 0;
    auto* splash = new TfrmSplash;
    splash->showCentred(screen);
    TfrmMain frmMain(splash);
    TfrmAbout frmAbout(&frmMain);
    frmMain.setAboutBox(&frmAbout);
    TfrmPrint frmPrint([&frmMain] { return frmMain.resultLists().selectedRow() >= 0; }, &frmMain);
    frmMain.printing().setDialog(&frmPrint);
    frmMain.show();
    return app.exec();
}
