#pragma once

#include "viewer/RowScanner.h"
#include "viewer/RowText.h"
#include "viewer/ViewerMatching.h"

#include <QColor>
#include <QObject>
#include <utility>
#include <vector>

namespace ferrolux {

// The matches the viewer colours, in which colour, and where they fall in a
// row. Text mode colours whole lines (a match's position is its line);
// binary mode exactly the matched bytes. Matches come in ascending order, as
// the viewer finds them.
class ViewerHighlights : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;

    void setWholeLines(bool wholeLines);
    void add(const std::vector<FoundMatch>& matches);
    void clear();

    QColor color() const { return color_; }
    void setColor(const QColor& color);

    // The runs of a row's characters (start, length) drawn in the colour.
    std::vector<std::pair<qsizetype, qsizetype>> runsIn(const RowSpan& span,
                                                        const RowText& text) const;

signals:
    void changed();

private:
    bool wholeLines_ = true;
    std::vector<int64_t> lines_;
    std::vector<FoundMatch> ranges_;
    QColor color_ = Qt::red;
};

} // namespace ferrolux
