#pragma once

#include "platform/ui/BandReport.h"

#include <QString>

class QPainter;
class QPrinter;

namespace ferrolux {

// The printer that reports go to: the one last chosen with Print Setup, or
// the system's default. It lives as long as the application.
QPrinter& currentPrinter();

// Paints one page with every field at its millimetre position on the paper;
// dotsPerMillimetre converts to the painter's device.
void paintReportPage(QPainter& painter, const ReportPage& page, const PageSetup& setup,
                     double dotsPerMillimetre);

// Prints the report on the printer, on the report's paper, portrait, one
// copy of all pages, single-sided, from the first paper bin. A report
// without records prints nothing. False when the printer could not be used.
bool printReport(BandReport& report, QPrinter& printer, const QString& documentName);

// Prints the report on the current printer; on failure, failure says why.
bool printOnCurrentPrinter(BandReport& report, const QString& documentName, QString& failure);

} // namespace ferrolux
