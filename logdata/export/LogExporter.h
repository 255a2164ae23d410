// The export of the Log Data list to a file of one kind, as the window's three export
// components are configured:
// - CSV: the text writer (TCsvExporter) given the list-view engine;
// - XLSX: the spreadsheet writer (TXlsxExporter) given the virtual engine with the window's
//   callbacks (TVirtualEngineHandlers), which follow the download's layout flag AllDataMode;
// - HTML: the HTML writer (THtmlExporter) given the list-view engine.
// The file goes through TExportFile: complete or not at all.
//
// Threads: main thread (it reads the record list). The list is borrowed and must outlive the
// exporter; it may not change during an export.
#pragma once

#include "ExportKind.h"
#include "ExportProgress.h"
#include "RecordRows.h"

#include <string>

namespace Sondrel {

class TLogExporter {
public:
    TLogExporter(const TRecordRows& list, bool allDataMode)
        : FList(list), FAllDataMode(allDataMode) {}

    // Writes the file; throws EExportError ("Cannot write "<path>": <reason>").
    void Export(TExportKind kind, const std::string& path,
                const TExportProgress& progress = {}) const;

private:
    const TRecordRows& FList;
    bool FAllDataMode;
};

} // namespace Sondrel
