#pragma once

#include "viewer/ViewerMatching.h"
#include "viewer/ViewerSource.h"

#include <QDialog>

class QPlainTextEdit;
class QPushButton;

namespace ferrolux {

// Shows one listed file with every match coloured and steps the caret from
// match to match. Text files are shown line by line with each matching line
// coloured; binary files as their printable characters with exactly the
// matched characters coloured.
class TfrmViewer : public QDialog {
    Q_OBJECT

public:
    TfrmViewer(QWidget* owner, const ViewerSource& source, const ViewerRequest& request,
               ViewerMatchTable& table = viewerMatchTable());

    // Creates a viewer owned by owner, shows it modally and frees it on close.
    static void showModal(QWidget* owner, const ViewerSource& source, const ViewerRequest& request);

    // Lays the window out for a screen of the given width: the compact
    // layout on an 800-pixel screen, the designed one otherwise.
    void applyScreenLayout(int screenWidth);

    void cmdPrevClick();
    void cmdNextClick();
    void cmdCloseClick();

    QPlainTextEdit* edtFile;
    QPushButton* cmdPrev;
    QPushButton* cmdNext;
    QPushButton* cmdClose;

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void FormShow();
    void FormResize();
    void applyViewerSettings(const Settings& settings);
    void loadTextMode(const Settings& settings);
    void loadBinaryMode(const Settings& settings, int64_t size);
    void showLoadError(int error);
    void colour(const std::vector<ColourRange>& ranges, int32_t highColor);
    void setFirstPosition();
    void moveToMatch(bool forward);
    void placeCaretKeepingRow(int offset);
    void placeCaret(int offset);
    int caseFlag() const;

    const ViewerSource& source_;
    ViewerMatchTable& table_;
    std::string CurrentFilePath;
    int32_t TargetMatch;
    bool shown_ = false;
};

} // namespace ferrolux
