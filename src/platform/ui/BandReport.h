#pragma once

#include <QString>
#include <cstdint>
#include <functional>
#include <vector>

namespace ferrolux {

// Report lengths are hundredths of a millimetre: page arithmetic stays exact.
using Length = int32_t;

constexpr Length millimetres(double mm) {
    return Length(mm * 100.0 + (mm < 0 ? -0.5 : 0.5));
}

enum class FieldAlignment { Left, Right };

// One text field of a band, placed from the band's top-left corner.
struct ReportField {
    Length left = 0;
    Length top = 0;
    Length width = 0;
    Length height = 0;
    QString text;
    FieldAlignment alignment = FieldAlignment::Left;
    bool bold = false;
    // Takes the width of its text instead of the fixed width (growing to the
    // left when right-aligned).
    bool sizedToText = false;
    // Prints text followed by the page number.
    bool pageNumber = false;
    // Fields with tag 1 take the print font of the preferences.
    int tag = 0;
    QString fontName = QStringLiteral("Arial");
    int fontSize = 10; // points
};

enum class BandKind { PageHeader, Detail, SubDetail };

// A horizontal strip of fields with a fixed height; it never grows.
struct ReportBand {
    BandKind kind = BandKind::Detail;
    Length height = 0;
    std::vector<ReportField*> fields;
    // Asked before each record of a data band. The flag comes in true for
    // the first call of a run and false for every later call; the handler
    // leaves it true when it filled the fields with a record.
    std::function<void(bool& moreData)> NeedData;
};

struct PageSetup {
    Length paperWidth = 0;
    Length paperHeight = 0;
    Length marginTop = 0;
    Length marginBottom = 0;
    Length marginLeft = 0;
    Length marginRight = 0;

    Length printableWidth() const { return paperWidth - marginLeft - marginRight; }
    Length printableHeight() const { return paperHeight - marginTop - marginBottom; }
};

// US Letter portrait with the given margins.
PageSetup letterPage(Length topBottom, Length leftRight);

// A field as printed: its text fixed for this record, and how far a field
// sized to its text may reach before it would run into a neighbour or off
// the band.
struct PlacedField {
    ReportField field;
    Length leftLimit = 0;
    Length rightLimit = 0;
};

// A band as printed; top is measured from the top margin.
struct PlacedBand {
    Length top = 0;
    Length height = 0;
    BandKind kind = BandKind::Detail;
    std::vector<PlacedField> fields;
};

struct ReportPage {
    int number = 0;
    std::vector<PlacedBand> bands;
};

// Receives the pages of a run, in order, as each one is complete. False
// stops the run (an output failure).
class ReportPageSink {
public:
    virtual ~ReportPageSink() = default;
    virtual bool addPage(const ReportPage& page) = 0;
};

// A banded report: a page header printed on every page, a detail band with
// one record per call of its data handler, and an optional sub-detail band
// run in full under every detail record. Bands are placed top to bottom; a
// band that does not fit below the previous one starts a new page.
class BandReport {
public:
    explicit BandReport(PageSetup page) : page_(page) {}
    BandReport(const BandReport&) = delete;
    BandReport& operator=(const BandReport&) = delete;
    virtual ~BandReport() = default;

    const PageSetup& page() const { return page_; }

    // Every field with this tag takes the font name and size; bold stays.
    void setTaggedFont(int tag, const QString& fontName, int fontSize);
    std::vector<ReportField*> fields() const;

    // Runs the data handlers and hands each finished page to the sink. A
    // report without records produces no page. False when the sink failed.
    bool run(ReportPageSink& sink);

    // Told the number of each page the sink took, so that a long print can
    // show how far it has come.
    std::function<void(int pageNumber)> pageDone;

protected:
    void setBands(ReportBand* pageHeader, ReportBand* detail, ReportBand* subDetail);

private:
    PageSetup page_;
    ReportBand* pageHeader_ = nullptr;
    ReportBand* detail_ = nullptr;
    ReportBand* subDetail_ = nullptr;
};

} // namespace ferrolux
