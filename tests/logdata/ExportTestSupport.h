// Shared helpers of the export tests: record lists built through the list's public API, a
// temporary folder, file contents, and an independent reader of .xlsx files (openpyxl, run by
// the system's Python).
#pragma once

#include "RecordList.h"
#include "RecordTable.h"

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace ExportTest {

// An item built from one record: every cell 0 except record number `number` in cell 1 and the
// given cells; `cleared` cells are left empty (a missing guard leaves its sub-item out).
Sondrel::TRecordItem MakeItem(std::uint16_t number, const std::map<int, std::uint16_t>& cells,
                              const std::vector<int>& cleared = {}, std::int32_t first = 0);

// The item of an empty record read from erased memory (every register 65535) into row `row`.
Sondrel::TRecordItem MakeErasedItem(std::uint16_t row, std::int32_t first = 0);

// Items for the records 1..count with the fake instrument's contents.
void FillWithRecords(Sondrel::TRecordList& list, std::int32_t count);

// A new empty folder, removed with everything in it when the object goes.
class TTempFolder {
public:
    TTempFolder();
    ~TTempFolder();
    TTempFolder(const TTempFolder&) = delete;
    TTempFolder& operator=(const TTempFolder&) = delete;

    const std::filesystem::path& Path() const { return FPath; }
    std::string File(const std::string& name) const { return (FPath / name).string(); }
    // The names of the entries in the folder, sorted.
    std::vector<std::string> Entries() const;

private:
    std::filesystem::path FPath;
};

std::string ReadFile(const std::string& path);
void WriteFile(const std::string& path, const std::string& content);
std::vector<std::string> SplitCrLfLines(const std::string& text);

// The first worksheet of an .xlsx file as read by openpyxl.
struct TSheet {
    bool ReadOk = false;
    std::string Output;         // the reader's output, for failure messages
    std::vector<double> Widths; // per column from A, 0 where none is set
    // Cells per row: "-" empty, "s:text" string, "n:number" number.
    std::vector<std::vector<std::string>> Rows;
};
TSheet ReadXlsx(const std::string& path);

} // namespace ExportTest
