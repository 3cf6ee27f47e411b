#include "print/Reports.h"

namespace ferrolux {
namespace {

struct FieldSpec {
    double left, top, width, height;
    const char* text;
    FieldAlignment alignment;
    bool bold;
    bool sizedToText;
};

constexpr FieldAlignment left = FieldAlignment::Left;
constexpr FieldAlignment right = FieldAlignment::Right;

ReportField field(const FieldSpec& spec) {
    ReportField field;
    field.left = millimetres(spec.left);
    field.top = millimetres(spec.top);
    field.width = millimetres(spec.width);
    field.height = millimetres(spec.height);
    field.text = QString::fromLatin1(spec.text);
    field.alignment = spec.alignment;
    field.bold = spec.bold;
    field.sizedToText = spec.sizedToText;
    field.tag = printFontTag;
    return field;
}

ReportField pageNumberField(double left) {
    ReportField number =
        field({left, 1.69, 22.23, 6.98, "Page ", FieldAlignment::Left, true, true});
    number.pageNumber = true;
    return number;
}

ReportBand band(BandKind kind, double height, std::vector<ReportField*> fields) {
    ReportBand band;
    band.kind = kind;
    band.height = millimetres(height);
    band.fields = std::move(fields);
    return band;
}

} // namespace

FilesReport::FilesReport()
    : BandReport(letterPage(millimetres(12.7), millimetres(7.62))),
      lblPageHeaderF(field({1.69, 1.69, 21.38, 4.23, "", left, true, true})),
      QRSysData1(pageNumberField(164.25)),
      QRLabel1(field({1.69, 10.16, 16.30, 4.23, "File Name", left, true, true})),
      QRLabel2(field({52.49, 10.16, 15.66, 4.23, "Directory", left, true, true})),
      QRLabel3(field({118.53, 10.16, 13.97, 4.23, "Matches", right, true, true})),
      QRLabel5(field({134.41, 10.16, 8.25, 4.23, "Type", left, true, true})),
      QRLabel6(field({154.09, 10.16, 7.20, 4.23, "Size", right, true, true})),
      QRLabel7(field({164.25, 10.16, 16.72, 4.23, "Date/Time", left, true, true})),
      lblFileNameF(field({1.69, 0, 49.32, 4.23, "", left, false, false})),
      lblDirectoryF(field({52.49, 0, 62.86, 4.23, "", left, false, false})),
      lblMatchesF(field({116.84, 0, 15.45, 4.23, "", right, false, false})),
      lblTypeF(field({137.16, 0, 5.29, 4.23, "", left, false, false})),
      lblSizeF(field({143.93, 0, 17.14, 4.23, "", right, false, false})),
      lblDateF(field({164.25, 0, 34.08, 4.23, "", left, false, false})),
      QRBand2(band(BandKind::PageHeader, 17.99,
                   {&lblPageHeaderF, &QRSysData1, &QRLabel1, &QRLabel2, &QRLabel3, &QRLabel5,
                    &QRLabel6, &QRLabel7})),
      QRBand1(
          band(BandKind::Detail, 4.66,
               {&lblFileNameF, &lblDirectoryF, &lblMatchesF, &lblTypeF, &lblSizeF, &lblDateF})) {
    setBands(&QRBand2, &QRBand1, nullptr);
}

MatchesReport::MatchesReport()
    : BandReport(letterPage(millimetres(12.7), millimetres(12.7))),
      lblPageHeaderM(field({1.69, 1.69, 21.38, 4.23, "", left, true, true})),
      lblPageNoM(pageNumberField(164.25)),
      lblFileNameM(field({1.69, 3.39, 16.30, 4.23, "", left, true, true})),
      lblLineNo(field({1.69, 0, 10.58, 4.23, "", left, false, false})),
      lblTextLine(field({13.55, 0, 6.35, 4.23, "", left, false, true})),
      qrMatchHeader(band(BandKind::PageHeader, 11.22, {&lblPageHeaderM, &lblPageNoM})),
      qrMatchesFileName(band(BandKind::Detail, 10.16, {&lblFileNameM})),
      qrMatchesText(band(BandKind::SubDetail, 4.66, {&lblLineNo, &lblTextLine})) {
    setBands(&qrMatchHeader, &qrMatchesFileName, &qrMatchesText);
}

} // namespace ferrolux
