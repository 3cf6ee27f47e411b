#include "print/Reports.h"

#include <gtest/gtest.h>

namespace ferrolux {
namespace {

struct RecordingSink : ReportPageSink {
    std::vector<ReportPage> pages;
    int failOnPage = 0; // 0: never fails

    bool addPage(const ReportPage& page) override {
        pages.push_back(page);
        return int(pages.size()) != failOnPage;
    }
};

// Supplies count records, remembering the flag each call found.
struct Records {
    Records(int records) : count(records) {}

    int count;
    int supplied = 0;
    std::vector<bool> flagsFound;

    void operator()(bool& moreData) {
        flagsFound.push_back(moreData);
        moreData = supplied < count;
        if (moreData) ++supplied;
    }
};

std::vector<BandKind> kindsOf(const ReportPage& page) {
    std::vector<BandKind> kinds;
    for (const PlacedBand& band : page.bands)
        kinds.push_back(band.kind);
    return kinds;
}

const PlacedField& fieldAt(const PlacedBand& band, std::size_t index) {
    return band.fields.at(index);
}

constexpr BandKind H = BandKind::PageHeader;
constexpr BandKind D = BandKind::Detail;
constexpr BandKind S = BandKind::SubDetail;

TEST(BandReport, TheFirstCallOfEachRunFindsTheFlagTrueAndLaterCallsFalse) {
    MatchesReport report;
    Records files{2};
    std::vector<Records> lines{{2}, {0}};
    std::vector<bool> lineFlags;
    report.qrMatchesFileName.NeedData = [&](bool& more) { files(more); };
    report.qrMatchesText.NeedData = [&](bool& more) {
        lines[std::size_t(files.supplied - 1)](more);
    };
    RecordingSink sink;
    ASSERT_TRUE(report.run(sink));

    EXPECT_EQ(files.flagsFound, (std::vector<bool>{true, false, false}));
    EXPECT_EQ(lines[0].flagsFound, (std::vector<bool>{true, false, false}));
    EXPECT_EQ(lines[1].flagsFound, (std::vector<bool>{true}));
    ASSERT_EQ(sink.pages.size(), 1u);
    EXPECT_EQ(kindsOf(sink.pages[0]), (std::vector<BandKind>{H, D, S, S, D}));
}

TEST(BandReport, AHandlerThatLeavesTheFlagAloneGivesExactlyOneRecord) {
    MatchesReport report;
    int calls = 0;
    report.qrMatchesFileName.NeedData = [&](bool&) { ++calls; };
    report.qrMatchesText.NeedData = [](bool& more) { more = false; };
    RecordingSink sink;
    ASSERT_TRUE(report.run(sink));
    EXPECT_EQ(calls, 2);
    ASSERT_EQ(sink.pages.size(), 1u);
    EXPECT_EQ(kindsOf(sink.pages[0]), (std::vector<BandKind>{H, D}));
}

TEST(BandReport, AReportWithoutRecordsProducesNoPage) {
    MatchesReport report;
    bool linesAsked = false;
    report.qrMatchesFileName.NeedData = [](bool& more) { more = false; };
    report.qrMatchesText.NeedData = [&](bool&) { linesAsked = true; };
    RecordingSink sink;
    EXPECT_TRUE(report.run(sink));
    EXPECT_TRUE(sink.pages.empty());
    EXPECT_FALSE(linesAsked);
}

TEST(BandReport, PagesBreakWithTheHeaderAndItsPageNumberOnEveryPage) {
    FilesReport report;
    Records rows{120};
    report.QRBand1.NeedData = [&](bool& more) {
        rows(more);
        report.lblFileNameF.text = QString::number(rows.supplied);
    };
    report.lblPageHeaderF.text = QStringLiteral("Search for: \"x\" in /*.*");
    RecordingSink sink;
    std::vector<int> told;
    report.pageDone = [&](int page) { told.push_back(page); };
    ASSERT_TRUE(report.run(sink));
    EXPECT_EQ(told, (std::vector<int>{1, 2, 3})) << "each page is told as it is taken";

    // (254.00 - 17.99) / 4.66: 50 rows under the header of a Letter page.
    ASSERT_EQ(sink.pages.size(), 3u);
    const std::size_t expectedBands[] = {51, 51, 21};
    for (std::size_t i = 0; i < 3; ++i) {
        const ReportPage& page = sink.pages[i];
        EXPECT_EQ(page.number, int(i) + 1);
        ASSERT_EQ(page.bands.size(), expectedBands[i]);
        const PlacedBand& header = page.bands.front();
        EXPECT_EQ(header.kind, H);
        EXPECT_EQ(header.top, 0);
        EXPECT_EQ(fieldAt(header, 0).field.text, QStringLiteral("Search for: \"x\" in /*.*"));
        EXPECT_EQ(fieldAt(header, 1).field.text, QStringLiteral("Page %1").arg(i + 1));
        const PlacedBand& last = page.bands.back();
        EXPECT_LE(last.top + last.height, millimetres(254.0));
    }
    EXPECT_EQ(sink.pages[0].bands[1].top, millimetres(17.99));
    EXPECT_EQ(sink.pages[0].bands[2].top, millimetres(17.99 + 4.66));
    EXPECT_EQ(fieldAt(sink.pages[1].bands[1], 0).field.text, QStringLiteral("51"));
    EXPECT_EQ(fieldAt(sink.pages[2].bands.back(), 0).field.text, QStringLiteral("120"));
}

TEST(BandReport, AFileHeadingMovesToTheNextPageWithItsFirstLine) {
    // 47 lines leave 13.60 mm: room for a heading (10.16) but not for a
    // heading and a line (14.82).
    MatchesReport report;
    Records files{3};
    std::vector<Records> lines{{47}, {0}, {1}};
    report.qrMatchesFileName.NeedData = [&](bool& more) {
        files(more);
        report.lblFileNameM.text = QString::number(files.supplied);
    };
    report.qrMatchesText.NeedData = [&](bool& more) {
        lines[std::size_t(files.supplied - 1)](more);
    };
    RecordingSink sink;
    ASSERT_TRUE(report.run(sink));

    ASSERT_EQ(sink.pages.size(), 2u);
    // A heading without lines stays where it fits.
    EXPECT_EQ(kindsOf(sink.pages[0]).back(), D);
    EXPECT_EQ(fieldAt(sink.pages[0].bands.back(), 0).field.text, QStringLiteral("2"));
    EXPECT_EQ(kindsOf(sink.pages[1]), (std::vector<BandKind>{H, D, S}));
    EXPECT_EQ(fieldAt(sink.pages[1].bands[1], 0).field.text, QStringLiteral("3"));
    EXPECT_EQ(sink.pages[1].bands[1].top, millimetres(11.22));
}

TEST(BandReport, AFailedPageStopsTheRun) {
    FilesReport report;
    Records rows{500};
    report.QRBand1.NeedData = [&](bool& more) { rows(more); };
    RecordingSink sink;
    sink.failOnPage = 1;
    EXPECT_FALSE(report.run(sink));
    EXPECT_EQ(sink.pages.size(), 1u);
    // The 51st record found the page full; nothing was asked after that.
    EXPECT_EQ(rows.supplied, 51);
}

TEST(BandReport, FieldsSizedToTheirTextStopShortOfTheirNeighbours) {
    FilesReport files;
    Records one{1};
    files.QRBand1.NeedData = [&](bool& more) { one(more); };
    RecordingSink sink;
    ASSERT_TRUE(files.run(sink));
    const PlacedBand& header = sink.pages.at(0).bands.at(0);
    EXPECT_EQ(fieldAt(header, 0).rightLimit, millimetres(164.25 - 2.0));       // before "Page "
    EXPECT_EQ(fieldAt(header, 4).leftLimit, millimetres(52.49 + 15.66 + 2.0)); // "Matches"
    EXPECT_EQ(fieldAt(header, 7).rightLimit, millimetres(200.66));             // "Date/Time"
}

TEST(Reports, NineteenFieldsTakeThePrintFontAndKeepTheirBoldness) {
    FilesReport files;
    MatchesReport matches;
    std::vector<ReportField*> all = files.fields();
    const std::vector<ReportField*> more = matches.fields();
    all.insert(all.end(), more.begin(), more.end());
    ASSERT_EQ(all.size(), 19u);
    std::vector<bool> boldBefore;
    for (const ReportField* field : all) {
        EXPECT_EQ(field->tag, printFontTag);
        EXPECT_EQ(field->fontName, QStringLiteral("Arial"));
        boldBefore.push_back(field->bold);
    }
    files.setTaggedFont(printFontTag, QStringLiteral("DejaVu Serif"), 8);
    matches.setTaggedFont(printFontTag, QStringLiteral("DejaVu Serif"), 8);
    for (std::size_t i = 0; i < all.size(); ++i) {
        EXPECT_EQ(all[i]->fontName, QStringLiteral("DejaVu Serif"));
        EXPECT_EQ(all[i]->fontSize, 8);
        EXPECT_EQ(all[i]->bold, boldBefore[i]);
    }
    // Headings, page numbers, the page header and file headings are bold.
    EXPECT_EQ(std::count(boldBefore.begin(), boldBefore.end(), true), 11);
    EXPECT_TRUE(matches.lblFileNameM.bold);
    EXPECT_FALSE(matches.lblTextLine.bold);
}

} // namespace
} // namespace ferrolux
