// TReportWriter: the report as a PDF file (A4, QPdfWriter), laid out page by page with a
// footer on each: the time of printing and "Page n of N".
//
// The file is written beside its target under a temporary name and renamed over it once
// complete, so a failure leaves no half-written PDF (and an older file of the name as it was).
//
// Threads: the GUI thread (the charts are widgets); a QGuiApplication must exist.
#pragma once

#include "ReportContent.h"
#include "ReportDocument.h"

#include <QString>

#include <stdexcept>
#include <string>

namespace Sondrel {

// Names the file and the cause.
class EReportError : public std::runtime_error {
public:
    EReportError(const QString& path, const QString& cause);
};

class TReportWriter {
public:
    explicit TReportWriter(TReportChartImage chart = {});

    // Writes the report and returns its page count. Raises EReportError.
    int Write(const TReportContent& content, const QString& path) const;

private:
    TReportChartImage FChart;
};

} // namespace Sondrel
