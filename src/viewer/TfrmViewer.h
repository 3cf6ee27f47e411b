#pragma once

#include "viewer/ViewerFile.h"
#include "viewer/ViewerMatchTable.h"
#include "viewer/ViewerSource.h"
#include "viewer/ViewerTextView.h"

#include <QDialog>
#include <QMargins>
#include <QTimer>
#include <memory>

class QPushButton;

namespace ferrolux {

// Shows one listed file with every match coloured and steps the caret from
// match to match. Text files are shown line by line with each matching line
// coloured (one that starts with a UTF-16 byte-order mark decoded, as the
// search reads it); binary files as their printable characters with exactly the
// matched characters coloured. The file is never held whole: the window
// shows its top at once while other threads index its rows and find its
// matches, so a file of any size opens at once and the window can be used
// (and closed) while that goes on.
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

    // Whether the file is indexed and all its matches are found.
    bool isLoaded() const { return loaded_; }

    void cmdPrevClick();
    void cmdNextClick();
    void cmdCloseClick();

    ViewerTextView* edtFile;
    QPushButton* cmdPrev;
    QPushButton* cmdNext;
    QPushButton* cmdClose;

signals:
    void loaded();

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void moveEvent(QMoveEvent* event) override;

private:
    void FormShow();
    void FormResize();
    void fitToScreen();
    void applyViewerSettings(const ViewerSettings& settings);
    void open(const ViewerJob& job);
    void progressed();
    void takeProgress();
    void placeAtTarget(const RowIndex::State& index, bool finished);
    void moveToMatch(bool forward);
    void setBusy(bool busy);
    // A file changed on disk since it was opened is opened again, the caret
    // kept where it was as far as the text now reaches.
    void reloadIfChanged();

    const ViewerSource& source_;
    ViewerMatchTable& table_;
    std::string CurrentFilePath;
    int32_t TargetMatch;
    std::unique_ptr<ViewerFile> file_;
    ViewerJob job_;
    QTimer progressTimer_;
    QTimer changeTimer_;
    bool restorePending_ = false;
    int64_t restoreCaret_ = 0;
    int restoreScreenLine_ = 0;
    bool shown_ = false;
    bool busy_ = false;
    bool targetPending_ = false;
    bool loaded_ = false;
    QMargins fittedFrame_; // the frame the window was last fitted with
};

} // namespace ferrolux
