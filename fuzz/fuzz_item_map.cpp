// Arbitrary bytes read as a server item map file: loading must not crash, must keep every
// whole record (known kinds as sorted rows, others carried), and must answer every row.
#include "ServerItemAnswers.h"
#include "ServerItemMap.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace {

void Check(bool condition) {
    if (!condition) {
        __builtin_trap();
    }
}

std::vector<std::string> SortedRecords(std::string_view bytes) {
    std::vector<std::string> records;
    for (std::size_t at = 0; at + Sondrel::kServerItemSize <= bytes.size();
         at += Sondrel::kServerItemSize) {
        records.emplace_back(bytes.substr(at, Sondrel::kServerItemSize));
    }
    std::sort(records.begin(), records.end());
    return records;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    Sondrel::TServerItemMap map;
    Check(map.LoadRecords(bytes) ==
          (size / Sondrel::kServerItemSize <= Sondrel::TServerItemMap::MaxRecords));
    const std::string saved = map.Records();
    Check(saved.size() == size / Sondrel::kServerItemSize * Sondrel::kServerItemSize);
    Check(SortedRecords(saved) == SortedRecords(bytes));

    for (std::size_t row = 0; row < map.RowCount(); ++row) {
        const Sondrel::TServerItem& item = map.Row(row);
        Check(Sondrel::IsKnownKind(item.Kind));
        if (row > 0) {
            Check(Sondrel::CompareServerItems(map.Row(row - 1), item) <= 0);
        }
        const auto found = map.FindServerItem(item.Address, item.Kind);
        Check(found && *found <= row);
        (void)Sondrel::RowTexts(item);
        Check(Sondrel::AnswerCanRead(map, item.Kind, item.Address).Allow);
        (void)Sondrel::AnswerCanWriteCoil(map, item.Address);
        (void)Sondrel::AnswerCanWriteHoldingRegister(map, item.Address, item.Value);
    }

    Sondrel::TServerItemMap reloaded;
    reloaded.LoadRecords(saved);
    Check(reloaded.Records() == saved);
    return 0;
}
