#include "LogExporter.h"

#include "CsvExporter.h"
#include "ExportError.h"
#include "ExportFile.h"
#include "HtmlExporter.h"
#include "ListViewDataEngine.h"
#include "VirtualEngineHandlers.h"
#include "XlsxExporter.h"

namespace Sondrel {

void TLogExporter::Export(TExportKind kind, const std::string& path,
                          const TExportProgress& progress) const {
    switch (kind) {
    case ekCsv: {
        TListViewDataEngine engine(FList, FOrder);
        TExportFile::WriteStream(
            path, [&](std::ostream& out) { TCsvExporter::Write(engine, out, progress); });
        return;
    }
    case ekXlsx: {
        TVirtualDataEngine engine;
        TVirtualEngineHandlers handlers(engine, FList, FAllDataMode, FOrder);
        TExportFile::WritePath(path, [&](const std::string& temporaryPath) {
            TXlsxExporter::Write(engine, temporaryPath, progress);
        });
        return;
    }
    case ekHtml: {
        TListViewDataEngine engine(FList, FOrder);
        TExportFile::WriteStream(
            path, [&](std::ostream& out) { THtmlExporter::Write(engine, out, progress); });
        return;
    }
    }
    throw EExportError("Cannot write \"" + path + "\": unknown export kind");
}

} // namespace Sondrel
