#include "CsvExporter.h"

#include "AnsiText.h"
#include "ExportStream.h"

namespace Sondrel {

void TCsvExporter::Write(TExportDataEngine& engine, std::ostream& out,
                         const TExportProgress& progress) {
    engine.Open();
    const auto columnCount = static_cast<std::int32_t>(engine.Columns().size());
    std::string line;
    auto addValue = [&](std::int32_t column, const std::string& value) {
        line += Utf8ToWindows1252(value, umQuestionMark);
        line += column + 1 < columnCount ? "," : "\r\n";
    };

    for (std::int32_t c = 0; c < columnCount; ++c) {
        addValue(c, engine.Columns()[static_cast<std::size_t>(c)].Title);
    }
    if (columnCount == 0) {
        line = "\r\n";
    }
    PutText(out, line);

    const std::int32_t total = engine.RowCount();
    TProgressTicker ticker(progress, total);
    engine.First();
    for (std::int32_t row = 1; row <= total; ++row) {
        line.clear();
        for (std::int32_t c = 0; c < columnCount; ++c) {
            addValue(c, engine.Value(c));
        }
        if (columnCount == 0) {
            line = "\r\n";
        }
        PutText(out, line);
        engine.Next();
        ticker.RowWritten(row);
    }
    FlushText(out);
}

} // namespace Sondrel
