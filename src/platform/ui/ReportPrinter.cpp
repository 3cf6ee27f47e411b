#include "platform/ui/ReportPrinter.h"

#include "platform/ui/FieldText.h"

#include <QCoreApplication>
#include <QFontMetricsF>
#include <QPainter>
#include <QPrinter>
#include <algorithm>
#include <cmath>

namespace ferrolux {
namespace {

// How far text too wide for its field may be condensed, in percent: a
// number as far as it takes (a cut number would read as another one), other
// text to three quarters, then it is cut.
constexpr int leastNumberStretch = 1;
constexpr int leastTextStretch = 75;

QPrinter* sharedPrinter = nullptr;

void deleteSharedPrinter() {
    delete sharedPrinter;
    sharedPrinter = nullptr;
}

QFont fieldFont(const ReportField& field) {
    QFont font(field.fontName);
    font.setPointSize(std::max(1, field.fontSize));
    font.setBold(field.bold);
    return font;
}

// Horizontal extent of a field in millimetres from the left margin.
struct Extent {
    double left;
    double width;
};

Extent extentOf(const PlacedField& placed) {
    const ReportField& field = placed.field;
    const double left = field.left / 100.0;
    const double right = (field.left + field.width) / 100.0;
    if (!field.sizedToText) return {left, right - left};
    if (field.alignment == FieldAlignment::Right)
        return {placed.leftLimit / 100.0, right - placed.leftLimit / 100.0};
    return {left, placed.rightLimit / 100.0 - left};
}

class PagePainter {
public:
    PagePainter(QPainter& painter, const PageSetup& setup, double dotsPerMillimetre)
        : painter_(painter), setup_(setup), dots_(dotsPerMillimetre) {}

    void paintField(const PlacedField& placed, Length bandTop) {
        const ReportField& field = placed.field;
        const QString text = printableText(field.text);
        const Extent extent = extentOf(placed);
        const double width = extent.width * dots_;
        const bool number = isNumber(text);
        const QFont font = condensedToFit(fieldFont(field), text, width,
                                          number ? leastNumberStretch : leastTextStretch);
        painter_.setFont(font);
        const QFontMetricsF metrics(font, painter_.device());
        QRectF line((setup_.marginLeft / 100.0 + extent.left) * dots_,
                    (setup_.marginTop + bandTop + field.top) / 100.0 * dots_, width,
                    metrics.lineSpacing());
        const int alignment =
            (field.alignment == FieldAlignment::Right ? Qt::AlignRight : Qt::AlignLeft) |
            Qt::AlignTop | Qt::TextDontClip | Qt::TextSingleLine;
        const std::vector<QString> lines =
            number ? std::vector<QString>{text} : wrapped(text, field, metrics, width);
        for (const QString& shown : lines) {
            painter_.drawText(line, alignment, shown);
            line.translate(0, line.height());
        }
    }

private:
    // Text too wide for its field is set condensed, down to the given
    // stretch in percent: what still does not fit is then cut.
    QFont condensedToFit(QFont font, const QString& text, double width, int leastStretch) const {
        const double natural = QFontMetricsF(font, painter_.device()).horizontalAdvance(text);
        if (natural > width)
            font.setStretch(std::max(leastStretch, int(std::floor(100.0 * width / natural))));
        return font;
    }

    // The lines that fit the field's height; at least one.
    std::vector<QString> wrapped(const QString& text, const ReportField& field,
                                 const QFontMetricsF& metrics, double width) const {
        const double height = field.height / 100.0 * dots_;
        const int maxLines = std::max(1, int(std::floor(height / metrics.lineSpacing())));
        return fitLines(text, width, maxLines, [&metrics](QStringView part) {
            return metrics.horizontalAdvance(part.toString());
        });
    }

    QPainter& painter_;
    const PageSetup& setup_;
    double dots_;
};

// Opens the painter with the first page, so that a report without records
// never starts a print job.
class PrinterSink : public ReportPageSink {
public:
    PrinterSink(QPrinter& printer, const PageSetup& setup) : printer_(printer), setup_(setup) {}

    bool addPage(const ReportPage& page) override {
        if (!painter_.isActive()) {
            if (!painter_.begin(&printer_)) return false;
        } else if (!printer_.newPage()) {
            return false;
        }
        paintReportPage(painter_, page, setup_, printer_.resolution() / 25.4);
        return true;
    }

    bool finish() { return !painter_.isActive() || painter_.end(); }

private:
    QPrinter& printer_;
    const PageSetup& setup_;
    QPainter painter_;
};

bool hasNoOutput(const QPrinter& printer) {
    return printer.outputFormat() == QPrinter::PdfFormat && printer.outputFileName().isEmpty();
}

QString failureText(const QPrinter& printer) {
    if (hasNoOutput(printer))
        return QStringLiteral("There is no printer to print on. Choose a printer or a PDF file "
                              "with Print Setup.");
    if (printer.outputFormat() == QPrinter::PdfFormat)
        return QStringLiteral("The report could not be written to ") + printer.outputFileName() +
               QLatin1Char('.');
    const QString name =
        printer.printerName().isEmpty() ? QStringLiteral("the printer") : printer.printerName();
    return QStringLiteral("The report could not be printed on ") + name + QLatin1Char('.');
}

} // namespace

QPrinter& currentPrinter() {
    if (!sharedPrinter) {
        sharedPrinter = new QPrinter(QPrinter::HighResolution);
        // Gone before the application object, which the printer's plugins need.
        qAddPostRoutine(deleteSharedPrinter);
    }
    return *sharedPrinter;
}

void paintReportPage(QPainter& painter, const ReportPage& page, const PageSetup& setup,
                     double dotsPerMillimetre) {
    painter.setPen(Qt::black);
    PagePainter fields(painter, setup, dotsPerMillimetre);
    for (const PlacedBand& band : page.bands)
        for (const PlacedField& placed : band.fields)
            fields.paintField(placed, band.top);
}

bool printReport(BandReport& report, QPrinter& printer, const QString& documentName) {
    // Nothing to print on. Starting a PDF engine without a file would also
    // leave it active for good, refusing any printer chosen afterwards.
    if (hasNoOutput(printer)) return false;
    const PageSetup& setup = report.page();
    const QSizeF paper(setup.paperWidth / 100.0, setup.paperHeight / 100.0);
    printer.setPageSize(QPageSize(paper, QPageSize::Millimeter, QString(), QPageSize::FuzzyMatch));
    printer.setPageOrientation(QPageLayout::Portrait);
    printer.setFullPage(true);
    printer.setCopyCount(1);
    printer.setDuplex(QPrinter::DuplexNone);
    printer.setPrintRange(QPrinter::AllPages);
    printer.setPaperSource(QPrinter::Upper);
    printer.setDocName(documentName);
    PrinterSink sink(printer, setup);
    const bool printed = report.run(sink);
    return sink.finish() && printed;
}

bool printOnCurrentPrinter(BandReport& report, const QString& documentName, QString& failure) {
    QPrinter& printer = currentPrinter();
    if (printReport(report, printer, documentName)) return true;
    failure = failureText(printer);
    return false;
}

} // namespace ferrolux
