// The export of the Log Data list to a file of one kind, as the window's three export
// components are configured:
// - CSV: the text writer (TCsvExporter) given the list-view engine;
// - XLSX: the spreadsheet writer (TXlsxExporter) given the virtual engine with the window's
//   callbacks (TVirtualEngineHandlers), which follow the download's layout flag AllDataMode;
// - HTML: the HTML writer (THtmlExporter) given the list-view engine.
// The rows go in the order the view shows them when one is given, else in the list's order.
// The file goes through TExportFile: complete or not at all.
//
// Threads: main thread (it reads the record list). The list is borrowed and must outlive the
// exporter; it may not change during an export.
#pragma once

#include "ExportKind.h"
#include "ExportProgress.h"
#include "RecordRows.h"
#include "RecordSort.h"

#include <string>

namespace Sondrel {

class TLogExporter {
public:
    TLogExporter(const TRecordRows& list, bool allDataMode, TRowOrder order = {})
        : FList(list), FAllDataMode(allDataMode), FOrder(std::move(order)) {}

    // Writes the file; throws EExportError ("Cannot write "<path>": <reason>").
    void Export(TExportKind kind, const std::string& path,
                const TExportProgress& progress = {}) const;

private:
    const TRecordRows& FList;
    bool FAllDataMode;
    TRowOrder FOrder;
};

} // namespace Sondrel
