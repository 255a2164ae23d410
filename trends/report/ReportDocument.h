// The report's text as a QTextDocument: headings, the instrument, its downloads, the range,
// the limits, a chart image per group, the excursions with their acknowledgements and the
// statistics of every series. Every text of the content is escaped: an instrument named
// "<b>" prints those three characters.
//
// Threads: the thread that owns the document.
#pragma once

#include "ReportContent.h"

#include <QImage>
#include <QSize>

#include <functional>

class QTextDocument;

namespace Sondrel {

// The image of one group's chart, `pixels` in size, drawn as for a page `logicalWidth` points
// wide (so that its texts keep their size on paper). A null image leaves the chart out.
using TReportChartImage = std::function<QImage(const TReportContent& content, TSeriesGroup group,
                                               QSize pixels, double devicePixelRatio)>;

struct TReportLayout {
    double BodyWidthPoints = 500;   // the text's width in the document's own units (1/96 in)
    double DevicePixelsPerUnit = 1; // the printer's pixels per document unit
};

// A number as the report prints it: whole numbers without decimals, others with two.
QString ReportNumber(double value);

// Fills `document` (which must be laid out on the printer already) with the report.
void BuildReportDocument(QTextDocument& document, const TReportContent& content,
                         const TReportLayout& layout, const TReportChartImage& chart);

} // namespace Sondrel
