#pragma once

#include <QTableView>

namespace ferrolux {

// A list in report style: grid lines, whole-row single selection, read-only,
// no row numbers. The file list and the match list both build on it.
class ReportListView : public QTableView {
public:
    explicit ReportListView(QWidget* parent = nullptr);

    // The selected row, or -1 when none is.
    int selectedRow() const;

    // The width a cell needs to show text whole in the list's font.
    int cellWidthFor(const QString& text) const;

    // Moves to the row only: a click or a key never scrolls the list sideways.
    void scrollTo(const QModelIndex& index, ScrollHint hint = EnsureVisible) override;

protected:
    void changeEvent(QEvent* event) override;
    // Left and Right scroll sideways, as there is no cell to move to.
    void keyPressEvent(QKeyEvent* event) override;

private:
    void fitRowsToFont();
};

} // namespace ferrolux
