// The local server's item map: the items in list order (by kind, then by address) with the
// file I/O of the item map file.
//
// Rows are numbered 0..RowCount()-1 in list order. Adding never creates a second row for an
// address and kind already in the map; loading does not look for duplicates (a file may hold
// them; they keep their file order, and FindServerItem returns the first in list order).
//
// Records whose kind is not one of the four kinds (from a damaged or newer file) are kept and
// written back by SaveServerItems after the known rows, but they are not rows: they are never
// shown, found or served. RemoveAll removes the rows and leaves them.
//
// The file is the records of all rows in list order, 10 bytes each, no header. Loading takes
// whole records only (trailing bytes are ignored) and at most MaxRecords of them; a longer file
// or a read error raises EConsoleFileError after the records read so far became rows.
// SaveServerItems replaces the file whole through a temporary file and a rename; on failure it
// raises EConsoleFileError naming the path and the map in memory keeps its changes. A file that
// the last LoadServerItems could not read in full is never replaced (that would lose the items
// it could not read): saving to it raises EConsoleFileError until a later load reads it whole.
//
// Main thread only (the server's item events are delivered there).
#pragma once

#include "ServerItem.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace Sondrel {

class TServerItemMap {
public:
    // Four kinds at 65536 addresses: a map without duplicates never needs more.
    static constexpr std::size_t MaxRecords = 4 * 65536;

    std::size_t RowCount() const;
    const TServerItem& Row(std::size_t row) const; // row < RowCount()

    // The row of the first item with this address and kind, or none.
    std::optional<std::size_t> FindServerItem(std::uint16_t address, TServerItemKind kind) const;

    struct TAddResult {
        std::size_t Row = 0;
        bool Added = false; // false: an existing item with this address and kind was overwritten
    };
    // Adds the item, or copies all its bytes over the item with the same address and kind.
    // Raises std::invalid_argument for a kind that is not one of the four.
    TAddResult AddOrOverwrite(const TServerItem& item);
    // Takes the value, min, max and writeable flag of the edited item; the row's address and
    // kind stay (the editor does not change them), so the row keeps its place.
    void EditRow(std::size_t row, const TServerItem& edited);
    void SetRowValue(std::size_t row, std::uint16_t value);
    void RemoveRow(std::size_t row);
    void RemoveAll();

    // The rows from a whole file image, as LoadServerItems takes them; the map is replaced.
    // Returns false when the image held more than MaxRecords records (the first ones are kept).
    bool LoadRecords(std::string_view bytes);
    // The file image: the records of all rows in list order, then the carried unknown records.
    std::string Records() const;
    // Number of records of unknown kinds carried along.
    std::size_t HiddenRecordCount() const { return FItems.size() - RowCount(); }

    void LoadServerItems(const std::filesystem::path& path);
    void SaveServerItems(const std::filesystem::path& path) const;

private:
    void CheckRow(std::size_t row) const;

    // Sorted by CompareServerItems, stable among equals; unknown kinds sort after ikInputRegister.
    std::vector<TServerItem> FItems;
    // The file the last load could not read in full; empty when there is none.
    std::filesystem::path FIncompleteFile;
};

} // namespace Sondrel
