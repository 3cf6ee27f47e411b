#pragma once

#include "viewer/ViewerMatching.h"
#include "viewer/ViewerSource.h"

#include <QDialog>
#include <memory>

class QPlainTextEdit;
class QPushButton;

namespace ferrolux {

// Shows one listed file with every match coloured and steps the caret from
// match to match. Text files are shown line by line with each matching line
// coloured; binary files as their printable characters with exactly the
// matched characters coloured. A large file is put into the text control a
// slice at a time from the event loop, so the window keeps painting and can be
// closed while it loads.
class TfrmViewer : public QDialog {
    Q_OBJECT

public:
    TfrmViewer(QWidget* owner, const ViewerSource& source, const ViewerRequest& request,
               ViewerMatchTable& table = viewerMatchTable());
    ~TfrmViewer() override;

    // Creates a viewer owned by owner, shows it modally and frees it on close.
    static void showModal(QWidget* owner, const ViewerSource& source, const ViewerRequest& request);

    // Lays the window out for a screen of the given width: the compact
    // layout on an 800-pixel screen, the designed one otherwise.
    void applyScreenLayout(int screenWidth);

    // Whether the file is in the control with its matches coloured.
    bool isLoaded() const { return !loading_; }

    void cmdPrevClick();
    void cmdNextClick();
    void cmdCloseClick();

    QPlainTextEdit* edtFile;
    QPushButton* cmdPrev;
    QPushButton* cmdNext;
    QPushButton* cmdClose;

signals:
    void loaded();

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    struct Loading;

    void FormShow();
    void FormResize();
    void applyViewerSettings(const Settings& settings);
    void startTextMode();
    void decodeNextPart();
    void startBinaryMode(int64_t size);
    void showLoadError(int error);
    void insertNextSlice();
    void finishLoading();
    void colour(const std::vector<ColourRange>& ranges);
    void setFirstPosition();
    void moveToMatch(bool forward);
    void placeCaretKeepingRow(int offset);
    void placeCaret(int offset);
    int caseFlag() const;

    const ViewerSource& source_;
    ViewerMatchTable& table_;
    std::string CurrentFilePath;
    int32_t TargetMatch;
    TextModeDocument lines_; // text mode: where each line starts (its text dropped)
    bool shown_ = false;
    std::unique_ptr<Loading> loading_;
};

} // namespace ferrolux
