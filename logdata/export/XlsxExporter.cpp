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

// The number formats of the typed cells, made once per workbook.
struct TCellFormats {
    lxw_format* Double = nullptr;
    lxw_format* Date = nullptr;
    lxw_format* Time = nullptr;
};

lxw_format* NumberFormat(lxw_workbook* workbook, const char* pattern) {
    lxw_format* format = workbook_add_format(workbook);
    if (format == nullptr) {
        throw EExportError(Reason(LXW_ERROR_MEMORY_MALLOC_FAILED, errno));
    }
    format_set_num_format(format, pattern);
    return format;
}

void WriteString(lxw_worksheet* sheet, lxw_row_t row, lxw_col_t column, const std::string& text) {
    if (!text.empty()) {
        Check(worksheet_write_string(sheet, row, column, XmlSafeUtf8(text).c_str(), nullptr));
    }
}

void WriteCell(lxw_worksheet* sheet, lxw_row_t row, lxw_col_t column, TExportCellType type,
               const std::string& text, const TCellFormats& formats) {
    switch (type) {
    case ctString:
        WriteString(sheet, row, column, text);
        return;
    case ctDate:
        if (const auto date = DateCellValue(text)) {
            lxw_datetime value{date->Year, date->Month, date->Day, 0, 0, 0.0};
            Check(worksheet_write_datetime(sheet, row, column, &value, formats.Date));
        } else {
            WriteString(sheet, row, column, text);
        }
        return;
    case ctTime:
        if (const auto time = TimeCellValue(text)) {
            // A time of day without a date is the fraction of the day.
            const double day = (time->Hour * 60.0 + time->Minute) / (24.0 * 60.0);
            Check(worksheet_write_number(sheet, row, column, day, formats.Time));
        } else {
            WriteString(sheet, row, column, text);
        }
        return;
    case ctInteger:
    case ctDouble:
        break;
    }
    const std::optional<double> number =
        type == ctDouble ? DoubleCellNumber(text) : IntegerCellNumber(text);
    if (number) {
        Check(worksheet_write_number(sheet, row, column, *number,
                                     type == ctDouble ? formats.Double : nullptr));
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

    const TCellFormats formats{NumberFormat(workbook.get(), "0.00"),
                               NumberFormat(workbook.get(), "mm/dd/yyyy"),
                               NumberFormat(workbook.get(), "hh:mm")};
    for (std::int32_t c = 0; c < columnCount; ++c) {
        const TExportColumn& column = columns[static_cast<std::size_t>(c)];
        const auto index = static_cast<lxw_col_t>(c);
        Check(worksheet_set_column(sheet, index, index, column.Width, nullptr));
        WriteString(sheet, 0, index, column.Title);
    }

    TProgressTicker ticker(progress, total);
    engine.First();
    for (std::int32_t row = 1; row <= total; ++row) {
        for (std::int32_t c = 0; c < columnCount; ++c) {
            WriteCell(sheet, static_cast<lxw_row_t>(row), static_cast<lxw_col_t>(c),
                      columns[static_cast<std::size_t>(c)].CellType, engine.Value(c), formats);
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
