#include "platform/ui/BandReport.h"

#include <algorithm>

namespace ferrolux {
namespace {

// A field sized to its text stops this far short of its neighbour.
constexpr Length neighbourGap = millimetres(2.0);

bool overlapVertically(const ReportField& a, const ReportField& b) {
    return a.top < b.top + b.height && b.top < a.top + a.height;
}

PlacedField placeField(const ReportField& field, const ReportBand& band, Length bandWidth,
                       int pageNumber) {
    PlacedField placed{field, 0, bandWidth};
    if (field.pageNumber) placed.field.text += QString::number(pageNumber);
    if (!field.sizedToText) return placed;
    for (const ReportField* other : band.fields) {
        if (other == &field || !overlapVertically(field, *other)) continue;
        if (other->left > field.left)
            placed.rightLimit = std::min(placed.rightLimit, other->left - neighbourGap);
        else if (other->left < field.left)
            placed.leftLimit =
                std::max(placed.leftLimit, other->left + other->width + neighbourGap);
    }
    return placed;
}

// Fills pages band by band and hands each full page to the sink.
class PageBuilder {
public:
    PageBuilder(const PageSetup& page, const ReportBand* pageHeader, ReportPageSink& sink)
        : setup_(page), pageHeader_(pageHeader), sink_(sink) {}

    bool failed() const { return failed_; }

    // keepWithPrevious: the band would rather move to the next page together
    // with the band before it than be separated from it by a page break.
    void place(const ReportBand& band, bool keepWithPrevious) {
        if (failed_) return;
        if (!pageOpen_) openPage();
        if (fits(band)) return append(band);
        const bool carry = keepWithPrevious && bodyBands() > 1;
        if (bodyBands() == 0) return append(band); // taller than a page
        PlacedBand carried;
        if (carry) {
            carried = std::move(page_.bands.back());
            page_.bands.pop_back();
        }
        if (!emitPage()) return;
        openPage();
        if (carry) appendPlaced(std::move(carried));
        append(band);
    }

    void finish() {
        if (pageOpen_ && !failed_) emitPage();
    }

private:
    bool fits(const ReportBand& band) const { return y_ + band.height <= setup_.printableHeight(); }

    int bodyBands() const { return int(page_.bands.size()) - (pageHeader_ ? 1 : 0); }

    void openPage() {
        page_ = ReportPage{++pageNumber_, {}};
        pageOpen_ = true;
        y_ = 0;
        if (pageHeader_) append(*pageHeader_);
    }

    bool emitPage() {
        failed_ = !sink_.addPage(page_);
        pageOpen_ = false;
        return !failed_;
    }

    void append(const ReportBand& band) {
        PlacedBand placed{y_, band.height, band.kind, {}};
        for (const ReportField* field : band.fields)
            placed.fields.push_back(placeField(*field, band, setup_.printableWidth(), pageNumber_));
        appendPlaced(std::move(placed));
    }

    void appendPlaced(PlacedBand band) {
        band.top = y_;
        y_ += band.height;
        page_.bands.push_back(std::move(band));
    }

    const PageSetup& setup_;
    const ReportBand* pageHeader_;
    ReportPageSink& sink_;
    ReportPage page_;
    bool pageOpen_ = false;
    int pageNumber_ = 0;
    Length y_ = 0;
    bool failed_ = false;
};

// The data protocol: the first call of a run finds the flag true, every
// later call finds it false.
bool nextRecord(const ReportBand& band, bool first) {
    bool moreData = first;
    if (band.NeedData) band.NeedData(moreData);
    return moreData;
}

// Passes pages on and tells each one taken.
class TellingSink : public ReportPageSink {
public:
    TellingSink(ReportPageSink& sink, const std::function<void(int)>& told)
        : sink_(sink), told_(told) {}
    bool addPage(const ReportPage& page) override {
        if (!sink_.addPage(page)) return false;
        if (told_) told_(page.number);
        return true;
    }

private:
    ReportPageSink& sink_;
    const std::function<void(int)>& told_;
};

} // namespace

PageSetup letterPage(Length topBottom, Length leftRight) {
    return {millimetres(215.9), millimetres(279.4), topBottom, topBottom, leftRight, leftRight};
}

void BandReport::setBands(ReportBand* pageHeader, ReportBand* detail, ReportBand* subDetail) {
    pageHeader_ = pageHeader;
    detail_ = detail;
    subDetail_ = subDetail;
}

std::vector<ReportField*> BandReport::fields() const {
    std::vector<ReportField*> all;
    for (const ReportBand* band : {pageHeader_, detail_, subDetail_})
        if (band) all.insert(all.end(), band->fields.begin(), band->fields.end());
    return all;
}

void BandReport::setTaggedFont(int tag, const QString& fontName, int fontSize) {
    for (ReportField* field : fields()) {
        if (field->tag != tag) continue;
        field->fontName = fontName;
        field->fontSize = fontSize;
    }
}

bool BandReport::run(ReportPageSink& sink) {
    if (!detail_) return true;
    TellingSink telling(sink, pageDone);
    PageBuilder pages(page_, pageHeader_, telling);
    for (bool first = true; !pages.failed() && nextRecord(*detail_, first); first = false) {
        pages.place(*detail_, false);
        if (!subDetail_) continue;
        for (bool firstLine = true; !pages.failed() && nextRecord(*subDetail_, firstLine);
             firstLine = false)
            pages.place(*subDetail_, firstLine);
    }
    pages.finish();
    return !pages.failed();
}

} // namespace ferrolux
