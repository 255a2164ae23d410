#include "ExportKind.h"

namespace Sondrel {

std::optional<TExportKind> ExportKindOfIndex(std::int32_t index) {
    switch (index) {
    case ekCsv:
        return ekCsv;
    case ekXlsx:
        return ekXlsx;
    case ekHtml:
        return ekHtml;
    default:
        return std::nullopt;
    }
}

TSaveDialogParams SaveDialogParams(TExportKind kind) {
    switch (kind) {
    case ekCsv:
        return {"Save your csv file", "CSV file|*.csv", "csv", 1, ""};
    case ekXlsx:
        return {"Save your xls file", "XLSX file|*.xlsx", "xlsx", 1, ""};
    case ekHtml:
        break;
    }
    return {"Save your html file", "HTML file|*.html", "html", 1, ""};
}

} // namespace Sondrel
