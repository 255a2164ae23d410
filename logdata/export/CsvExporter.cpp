#include "CsvExporter.h"

#include "AnsiText.h"
#include "ExportStream.h"

namespace Sondrel {

void TCsvExporter::Write(TExportDataEngine& engine, std::ostream& out,
                         const TExportProgress& progress) {
    engine.Open();
    const auto columnCount = static_cast<std::int32_t>(engine.Columns().size());
    std::string line;
    // One line: the values with "," between them, then CR LF.
    auto writeLine = [&](const auto& valueOf) {
        line.clear();
        for (std::int32_t c = 0; c < columnCount; ++c) {
            if (c > 0) {
                line += ',';
            }
            line += Utf8ToWindows1252(valueOf(c), umQuestionMark);
        }
        line += "\r\n";
        PutText(out, line);
    };

    writeLine([&](std::int32_t c) { return engine.Columns()[static_cast<std::size_t>(c)].Title; });
    const std::int32_t total = engine.RowCount();
    TProgressTicker ticker(progress, total);
    engine.First();
    for (std::int32_t row = 1; row <= total; ++row) {
        writeLine([&](std::int32_t c) { return engine.Value(c); });
        engine.Next();
        ticker.RowWritten(row);
    }
    FlushText(out);
}

} // namespace Sondrel
