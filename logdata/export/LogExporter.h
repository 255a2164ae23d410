// The export of the Log Data list to a file of one kind, as the window's three export
// components are configured:
// - CSV: the text writer (TCsvExporter) given the list-view engine;
// - XLSX: the spreadsheet writer (TXlsxExporter) given the virtual engine with the window's
//   callbacks (TVirtualEngineHandlers), which follow the download state's AllDataMode;
// - HTML: the HTML writer (THtmlExporter) given the list-view engine.
// The file goes through TExportFile: complete or not at all.
//
// Threads: main thread (it reads the record list). The list and the state are borrowed and
// must outlive the exporter; neither may change during an export.
#pragma once

#include "DownloadState.h"
#include "ExportKind.h"
#include "ExportProgress.h"
#include "RecordList.h"

#include <string>

namespace Sondrel {

class TLogExporter {
public:
    TLogExporter(const TRecordList& list, const TDownloadState& state)
        : FList(list), FState(state) {}

    // Writes the file; throws EExportError ("Cannot write "<path>": <reason>").
    void Export(TExportKind kind, const std::string& path,
                const TExportProgress& progress = {}) const;

private:
    const TRecordList& FList;
    const TDownloadState& FState;
};

} // namespace Sondrel
