// The chart of one series group of a report, drawn offscreen into an image at the printer's
// resolution (TTrendChart of trends/gui: every series of the group, with the limit lines).
//
// Threads: the GUI thread; a QApplication must exist.
#pragma once

#include "ReportDocument.h"

namespace Sondrel {

QImage ReportChartImage(const TReportContent& content, TSeriesGroup group, QSize pixels,
                        double devicePixelRatio);

} // namespace Sondrel
