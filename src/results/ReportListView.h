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
};

} // namespace ferrolux
