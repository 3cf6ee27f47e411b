#include "platform/ui/TextReportWriter.h"

#include "platform/files/AtomicFile.h"
#include "platform/ui/FieldText.h"

#include <algorithm>

namespace ferrolux {
namespace {

constexpr int64_t hundredthsPerInch = 2540;
constexpr int64_t columnsPerInch = 16;
constexpr int64_t linesPerInch = 6;

int roundedLinesOf(Length length) {
    return int((int64_t(length) * linesPerInch + hundredthsPerInch / 2) / hundredthsPerInch);
}

// The page as rows of characters, written field by field.
class TextPage {
public:
    void addBand(const PlacedBand& band) {
        const int first = int(rows_.size());
        const int lines = textLinesOf(band.height);
        rows_.resize(std::size_t(first + lines));
        for (const PlacedField& placed : band.fields)
            addField(placed, first, lines);
    }

    std::vector<QString> lines() const {
        std::vector<QString> lines;
        for (const std::u32string& row : rows_) {
            const std::size_t end = row.find_last_not_of(U' ');
            lines.push_back(end == std::u32string::npos
                                ? QString()
                                : QString::fromUcs4(row.data(), qsizetype(end + 1)));
        }
        while (!lines.empty() && lines.back().isEmpty())
            lines.pop_back();
        return lines;
    }

private:
    struct Span {
        int start;
        int end; // exclusive
    };

    static Span spanOf(const PlacedField& placed) {
        const ReportField& field = placed.field;
        const int left = textColumnOf(field.left);
        const int right = std::max(left + 1, textColumnOf(field.left + field.width));
        if (!field.sizedToText) return {left, right};
        if (field.alignment == FieldAlignment::Right)
            return {std::min(right - 1, textColumnOf(placed.leftLimit)), right};
        return {left, std::max(left + 1, textColumnOf(placed.rightLimit))};
    }

    // A number wider than its field runs past the field's edge (into the
    // blank columns between fields) rather than being cut.
    void addField(const PlacedField& placed, int bandFirst, int bandLines) {
        const ReportField& field = placed.field;
        const int row = std::min(bandLines - 1, roundedLinesOf(field.top));
        const int lines = std::clamp(roundedLinesOf(field.height), 1, bandLines - row);
        const Span span = spanOf(placed);
        const QString text = printableText(field.text);
        const std::vector<QString> shown =
            isNumber(text) ? std::vector<QString>{text}
                           : fitLines(text, span.end - span.start, lines, columnsOf);
        for (std::size_t i = 0; i < shown.size(); ++i) {
            const std::u32string line = shown[i].toStdU32String();
            const int width = int(line.size());
            const int start =
                field.alignment == FieldAlignment::Right ? span.end - width : span.start;
            put(rows_[std::size_t(bandFirst + row) + i], std::max(0, start), line);
        }
    }

    static void put(std::u32string& row, int column, const std::u32string& text) {
        const std::size_t end = std::size_t(column) + text.size();
        if (row.size() < end) row.resize(end, U' ');
        row.replace(std::size_t(column), text.size(), text);
    }

    std::vector<std::u32string> rows_;
};

} // namespace

int textColumnOf(Length x) {
    return int(int64_t(x) * columnsPerInch / hundredthsPerInch);
}

int textLinesOf(Length height) {
    return std::max(1, int(int64_t(height) * linesPerInch / hundredthsPerInch));
}

std::vector<QString> pageLines(const ReportPage& page) {
    TextPage text;
    for (const PlacedBand& band : page.bands)
        text.addBand(band);
    return text.lines();
}

bool TextReportWriter::addPage(const ReportPage& page) {
    QString text;
    if (!firstPage_) text += QStringLiteral("\f\n");
    firstPage_ = false;
    for (const QString& line : pageLines(page))
        text += line + QLatin1Char('\n');
    return file_.write(text.toStdString());
}

bool exportReportText(BandReport& report, const std::string& path, std::string& error) {
    AtomicFile file(path);
    TextReportWriter writer(file);
    const bool written = file.open() && report.run(writer) && file.commit();
    error = file.error();
    return written;
}

} // namespace ferrolux
