#include "ExportTestSupport.h"

#include "FakeInstrument.h"

#include "UniqueFolder.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace ExportTest {

using namespace Sondrel;

TRecordItem MakeItem(std::uint16_t number, const std::map<int, std::uint16_t>& cells,
                     const std::vector<int>& cleared, std::int32_t first) {
    TRecordTable table;
    for (std::int32_t c = 0; c < TRecordTable::CellCount; ++c) {
        table.SetValue(0, c, 0);
    }
    table.SetValue(0, 1, number);
    for (const auto& [cell, value] : cells) {
        table.SetValue(0, cell, value);
    }
    for (const int cell : cleared) {
        table.Clear(0, cell);
    }
    const auto item = TRecordItem::FromRow(table, 0, first);
    if (!item) {
        throw std::logic_error("test item lacks a cell it shows");
    }
    return *item;
}

TRecordItem MakeErasedItem(std::uint16_t row, std::int32_t first) {
    TRecordTable table;
    for (std::int32_t c = 1; c < TRecordTable::CellCount; ++c) {
        table.SetValue(row, c, 65535);
    }
    table.SetValue(row, 0, row);
    return *TRecordItem::FromRow(table, row, first);
}

void FillWithRecords(TRecordList& list, std::int32_t count) {
    TRecordTable table;
    for (std::int32_t n = 1; n <= count; ++n) {
        const Corvane::TRegValues r = TFakeInstrument::RecordRegisters(n);
        for (std::int32_t c = 0; c < TRecordTable::CellCount; ++c) {
            table.SetValue(n, c, r[static_cast<std::size_t>(c)]);
        }
        list.Append(*TRecordItem::FromRow(table, n, 0));
    }
}

TTempFolder::TTempFolder() : FPath(TestSupport::MakeUniqueFolder("sondrel-export-")) {}

TTempFolder::~TTempFolder() {
    std::error_code ignored;
    std::filesystem::permissions(FPath, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ignored);
    std::filesystem::remove_all(FPath, ignored);
}

std::vector<std::string> TTempFolder::Entries() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(FPath)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void WriteFile(const std::string& path, const std::string& content) {
    std::ofstream(path, std::ios::binary) << content;
}

std::vector<std::string> SplitCrLfLines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t at = 0;
    for (std::size_t end; (end = text.find("\r\n", at)) != std::string::npos; at = end + 2) {
        lines.push_back(text.substr(at, end - at));
    }
    if (at != text.size()) {
        lines.push_back(text.substr(at)); // an unterminated rest, which no test expects
    }
    return lines;
}

namespace {

std::vector<std::string> Split(const std::string& text, char separator) {
    std::vector<std::string> parts;
    std::size_t at = 0;
    for (std::size_t end; (end = text.find(separator, at)) != std::string::npos; at = end + 1) {
        parts.push_back(text.substr(at, end - at));
    }
    parts.push_back(text.substr(at));
    return parts;
}

std::size_t ColumnIndex(const std::string& letters) {
    std::size_t index = 0;
    for (const char c : letters) {
        index = index * 26 + static_cast<std::size_t>(c - 'A' + 1);
    }
    return index - 1;
}

} // namespace

TSheet ReadXlsx(const std::string& path) {
    TSheet sheet;
    const std::string command = std::string(SONDREL_TEST_PYTHON) + " '" + SONDREL_TEST_XLSX_READER +
                                "' '" + path + "' 2>&1";
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) {
        return sheet;
    }
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) {
        sheet.Output.append(buffer, n);
    }
    const int status = pclose(pipe);
    // 0 only for a reader that ran and exited with status 0 (on POSIX and Windows alike).
    sheet.ReadOk = status == 0;
    for (const std::string& line : Split(sheet.Output, '\n')) {
        if (line.rfind("width ", 0) == 0) {
            const auto parts = Split(line, ' ');
            const std::size_t column = ColumnIndex(parts.at(1));
            sheet.Widths.resize(std::max(sheet.Widths.size(), column + 1), 0.0);
            sheet.Widths[column] = std::stod(parts.at(2));
        } else if (line.rfind("row ", 0) == 0) {
            const std::size_t space = line.find(' ', 4);
            sheet.Rows.push_back(Split(line.substr(space + 1), '\t'));
        }
    }
    return sheet;
}

} // namespace ExportTest
