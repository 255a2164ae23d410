// The three kinds of export, as the export combo box and the "exportDropDown" setting number
// them, and what the save dialog shows for each.
//
// Threads: any.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace Sondrel {

enum TExportKind : std::uint8_t { ekCsv = 0, ekXlsx = 1, ekHtml = 2 };

// The combo box's items, in index order.
inline constexpr const char* ExportKindNames[] = {"CSV", "XLSX", "HTML"};

// The kind of a combo box index; nothing for an index that names none (a stored setting out
// of range, or no selection).
std::optional<TExportKind> ExportKindOfIndex(std::int32_t index);

// The save dialog of an export. It starts in the folder used last (the current directory at
// first) with the first filter selected, prompts before overwriting, hides read-only files and
// requires the path to exist. Filter is "description|pattern"; FileName is the name it
// proposes (empty: none).
struct TSaveDialogParams {
    std::string Title;
    std::string Filter;
    std::string DefaultExtension;
    std::int32_t FilterIndex = 1;
    std::string FileName;

    bool operator==(const TSaveDialogParams&) const = default;
};

TSaveDialogParams SaveDialogParams(TExportKind kind);

} // namespace Sondrel
