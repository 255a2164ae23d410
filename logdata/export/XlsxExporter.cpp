#include "XlsxExporter.h"

#include "AnsiText.h"
#include "CellNumber.h"
#include "ExportError.h"
#include "XlsxPackageCheck.h"

#include <xlsxwriter.h>

#include <cerrno>
#include <cstring>
#include <memory>

namespace Sondrel {

namespace {

// The largest row and column numbers (0-based) of a worksheet.
constexpr std::int32_t kLastRow = 1048575;
constexpr std::int32_t kLastColumn = 16383;

// The reason of a libxlsxwriter error, with the OS's reason where the error is a file's.
std::string Reason(lxw_error error, int osError) {
    std::string reason = lxw_strerror(error);
    const bool fileError = error == LXW_ERROR_CREATING_XLSX_FILE ||
                           error == LXW_ERROR_CREATING_TMPFILE ||
                           error == LXW_ERROR_READING_TMPFILE || error == LXW_ERROR_ZIP_FILE_ADD ||
                           error == LXW_ERROR_ZIP_CLOSE;
    if (fileError && osError != 0) {
        reason += " (" + std::string(std::strerror(osError)) + ")";
    }
    return reason;
}

void Check(lxw_error error) {
    if (error != LXW_NO_ERROR) {
        throw EExportError(Reason(error, errno));
    }
}

// The workbook until it is closed; freed without writing anything when an export is
// abandoned.
struct TWorkbookFree {
    void operator()(lxw_workbook* workbook) const { lxw_workbook_free(workbook); }
};
using TWorkbook = std::unique_ptr<lxw_workbook, TWorkbookFree>;

void WriteCell(lxw_worksheet* sheet, lxw_row_t row, lxw_col_t column, TExportCellType type,
               const std::string& text) {
    if (type == ctString) {
        if (!text.empty()) {
            Check(worksheet_write_string(sheet, row, column, XmlSafeUtf8(text).c_str(), nullptr));
        }
        return;
    }
    const std::optional<double> number =
        type == ctDouble ? DoubleCellNumber(text) : IntegerCellNumber(text);
    if (number) {
        Check(worksheet_write_number(sheet, row, column, *number, nullptr));
    }
}

} // namespace

void TXlsxExporter::Write(TExportDataEngine& engine, const std::string& path,
                          const TExportProgress& progress) {
    engine.Open();
    const std::vector<TExportColumn>& columns = engine.Columns();
    const auto columnCount = static_cast<std::int32_t>(columns.size());
    const std::int32_t total = engine.RowCount();
    if (columnCount - 1 > kLastColumn || total > kLastRow) {
        throw EExportError("the data do not fit a worksheet (" + std::to_string(total) + " rows, " +
                           std::to_string(columnCount) + " columns)");
    }

    lxw_workbook_options options{};
    options.constant_memory = LXW_TRUE;
    errno = 0;
    TWorkbook workbook(workbook_new_opt(path.c_str(), &options));
    if (!workbook) {
        throw EExportError(Reason(LXW_ERROR_MEMORY_MALLOC_FAILED, errno));
    }
    errno = 0;
    lxw_worksheet* sheet = workbook_add_worksheet(workbook.get(), nullptr);
    if (sheet == nullptr) {
        // In constant-memory mode the worksheet's temporary file is created here.
        throw EExportError(Reason(LXW_ERROR_CREATING_TMPFILE, errno));
    }

    for (std::int32_t c = 0; c < columnCount; ++c) {
        const TExportColumn& column = columns[static_cast<std::size_t>(c)];
        const auto index = static_cast<lxw_col_t>(c);
        Check(worksheet_set_column(sheet, index, index, column.Width, nullptr));
        WriteCell(sheet, 0, index, ctString, column.Title);
    }

    TProgressTicker ticker(progress, total);
    engine.First();
    for (std::int32_t row = 1; row <= total; ++row) {
        for (std::int32_t c = 0; c < columnCount; ++c) {
            WriteCell(sheet, static_cast<lxw_row_t>(row), static_cast<lxw_col_t>(c),
                      columns[static_cast<std::size_t>(c)].CellType, engine.Value(c));
        }
        engine.Next();
        ticker.RowWritten(row);
    }

    // workbook_close writes the file and frees the workbook, whatever its result.
    errno = 0;
    const lxw_error error = workbook_close(workbook.release());
    Check(error);
    CheckXlsxPackage(path);
}

} // namespace Sondrel
