#pragma once

#include "app/MainControls.h"
#include "print/ResultsPrint.h"

#include <functional>

class QWidget;

namespace ferrolux {

class TfrmPrint;
struct Settings;

// The main window's Print button: it asks the print dialog what to print
// and where, and prints the session's results as the lists show them.
class MainPrint {
public:
    // finishListing: completes a listing of the selected file's lines still
    // under way, so that a print of them has them all.
    MainPrint(QWidget* window, SearchSession& session, const Settings& settings,
              const SearchControls& controls, const ResultControls& results,
              std::function<void()> finishListing = {});

    // The print dialog, created by the program entry after the window.
    void setDialog(TfrmPrint* dialog) { frmPrint_ = dialog; }
    void cmdPrintClick();
    // The report definitions, with the fonts of the last print.
    const ResultsPrint& reports() const { return reports_; }

private:
    QWidget* window_;
    SearchSession& session_;
    const Settings& settings_;
    const SearchControls& controls_;
    const ResultControls& results_;
    std::function<void()> finishListing_;
    TfrmPrint* frmPrint_ = nullptr;
    ResultsPrint reports_;
};

} // namespace ferrolux
