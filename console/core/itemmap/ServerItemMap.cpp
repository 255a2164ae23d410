#include "ServerItemMap.h"

#include "ConsoleFileError.h"
#include "FileContents.h"

#include <algorithm>
#include <stdexcept>

namespace Sondrel {

namespace {

bool Before(const TServerItem& a, const TServerItem& b) {
    return CompareServerItems(a, b) < 0;
}

} // namespace

std::size_t TServerItemMap::RowCount() const {
    const auto firstUnknown = std::partition_point(
        FItems.begin(), FItems.end(), [](const TServerItem& i) { return IsKnownKind(i.Kind); });
    return static_cast<std::size_t>(firstUnknown - FItems.begin());
}

void TServerItemMap::CheckRow(std::size_t row) const {
    if (row >= RowCount()) {
        throw std::out_of_range("Server item row out of range");
    }
}

const TServerItem& TServerItemMap::Row(std::size_t row) const {
    CheckRow(row);
    return FItems[row];
}

std::optional<std::size_t> TServerItemMap::FindServerItem(std::uint16_t address,
                                                          TServerItemKind kind) const {
    if (!IsKnownKind(kind)) {
        return std::nullopt;
    }
    TServerItem key;
    key.Address = address;
    key.Kind = kind;
    const auto it = std::lower_bound(FItems.begin(), FItems.end(), key, Before);
    if (it == FItems.end() || CompareServerItems(*it, key) != 0) {
        return std::nullopt;
    }
    return static_cast<std::size_t>(it - FItems.begin());
}

TServerItemMap::TAddResult TServerItemMap::AddOrOverwrite(const TServerItem& item) {
    if (!IsKnownKind(item.Kind)) {
        throw std::invalid_argument("Unknown server item kind");
    }
    if (const auto row = FindServerItem(item.Address, item.Kind)) {
        FItems[*row] = item;
        return {*row, false};
    }
    const auto it = std::upper_bound(FItems.begin(), FItems.end(), item, Before);
    const auto row = static_cast<std::size_t>(it - FItems.begin());
    FItems.insert(it, item);
    return {row, true};
}

void TServerItemMap::EditRow(std::size_t row, const TServerItem& edited) {
    CheckRow(row);
    TServerItem& item = FItems[row];
    item.Value = edited.Value;
    item.Min = edited.Min;
    item.Max = edited.Max;
    item.Writeable = edited.Writeable;
}

void TServerItemMap::SetRowValue(std::size_t row, std::uint16_t value) {
    CheckRow(row);
    FItems[row].Value = value;
}

void TServerItemMap::RemoveRow(std::size_t row) {
    CheckRow(row);
    FItems.erase(FItems.begin() + static_cast<std::ptrdiff_t>(row));
}

void TServerItemMap::RemoveAll() {
    FItems.erase(FItems.begin(), FItems.begin() + static_cast<std::ptrdiff_t>(RowCount()));
}

bool TServerItemMap::LoadRecords(std::string_view bytes) {
    const std::size_t whole = bytes.size() / kServerItemSize;
    const std::size_t count = std::min(whole, MaxRecords);
    FItems.clear();
    FItems.reserve(count);
    const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.data());
    for (std::size_t i = 0; i < count; ++i) {
        FItems.push_back(ServerItemFromBytes(std::span<const std::uint8_t, kServerItemSize>(
            data + i * kServerItemSize, kServerItemSize)));
    }
    std::stable_sort(FItems.begin(), FItems.end(), Before);
    return whole <= MaxRecords;
}

std::string TServerItemMap::Records() const {
    std::string bytes;
    bytes.reserve(FItems.size() * kServerItemSize);
    for (const auto& item : FItems) {
        const TServerItemBytes record = ServerItemToBytes(item);
        bytes.append(reinterpret_cast<const char*>(record.data()), record.size());
    }
    return bytes;
}

void TServerItemMap::LoadServerItems(const std::filesystem::path& path) {
    FItems.clear();
    FIncompleteFile.clear();
    // One byte past the largest accepted image tells a too-long file from a full one; the
    // trailing bytes of a partial record do not count.
    const TFileRead file = ReadFileCapped(path, MaxRecords * kServerItemSize + kServerItemSize);
    if (!file.Exists) {
        return;
    }
    const bool complete = LoadRecords(file.Bytes);
    if (!file.Error.empty()) {
        FIncompleteFile = path;
        throw EConsoleFileError(path, file.Error);
    }
    if (!complete || file.Truncated) {
        FIncompleteFile = path;
        throw EConsoleFileError(
            path, CannotReadText(path, "the file holds more than " + std::to_string(MaxRecords) +
                                           " items; only the first ones were loaded"));
    }
}

void TServerItemMap::SaveServerItems(const std::filesystem::path& path) const {
    if (!FIncompleteFile.empty() && path == FIncompleteFile) {
        throw EConsoleFileError(
            path, CannotWriteText(path, "the file could not be read in full at start, and "
                                        "replacing it would lose the items that were not read"));
    }
    ReplaceFileContents(path, Records());
}

} // namespace Sondrel
