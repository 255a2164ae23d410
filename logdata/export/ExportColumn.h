// One column of an export: what the writers know of a column besides its values.
//
// Threads: any; a plain value.
#pragma once

#include <cstdint>
#include <string>

namespace Sondrel {

// How a spreadsheet cell of the column is written. The text and HTML writers write every value
// as text whatever the type. A date column takes texts "MM/DD/YYYY", a time column "HH:MM".
enum TExportCellType : std::uint8_t { ctString, ctInteger, ctDouble, ctDate, ctTime };

struct TExportColumn {
    std::string FieldName;  // what the virtual engine's GetValue callback is asked for
    std::string Title;      // the title row's text
    std::int32_t Width = 0; // in characters
    TExportCellType CellType = ctString;

    bool operator==(const TExportColumn&) const = default;
};

} // namespace Sondrel
