#include "RecordImporter.h"

#include <algorithm>
#include <cmath>

namespace Sondrel {

namespace {

constexpr std::uint16_t kEmptyRecord = 65535;
// Registers of one record in the all-data layout that the table keeps.
constexpr std::size_t kRecordCells = TRecordTable::CellCount;

// A progress bar position: the share in percent, rounded half to even, within 0..100.
std::int32_t Percent(std::int64_t part, std::int64_t whole) {
    if (whole <= 0) {
        return 0;
    }
    const double share = std::nearbyint(static_cast<double>(part) * 100.0 / whole);
    return static_cast<std::int32_t>(std::clamp(share, 0.0, 100.0));
}

std::int32_t WrapRecord(std::int64_t n) {
    return static_cast<std::int32_t>(
        ((n % TDownloadState::RecordSpace) + TDownloadState::RecordSpace) %
        TDownloadState::RecordSpace);
}

} // namespace

TRecordImporter::TRecordImporter(const TDownloadState& state, TDownloadHost& host,
                                 TDownloadView& view)
    : S(state), FHost(host), FView(view) {
    FSkipWindow.fill(TRowList::Free);
}

void TRecordImporter::ClearCounts() {
    FReceivedCount = 0;
    FImportedCount = 0;
    FWanted.clear();
    FWantedCount = 0;
}

void TRecordImporter::SetWanted(const std::vector<std::int32_t>& records) {
    FWanted.assign(TDownloadState::RecordSpace, false);
    FWantedCount = 0;
    for (const std::int32_t record : records) {
        if (record >= 0 && record < TDownloadState::RecordSpace &&
            !FWanted[static_cast<std::size_t>(record)]) {
            FWanted[static_cast<std::size_t>(record)] = true;
            ++FWantedCount;
        }
    }
}

TRecordImporter::TReadResult
TRecordImporter::OnHoldingRegistersRead(const Corvane::TTransactionInfo& info,
                                        std::uint16_t startReg, std::uint16_t regCount,
                                        const Corvane::TRegValues& values) {
    TReadResult found;
    if (info.Status != Corvane::rsNormalResponse) {
        return found;
    }
    switch (startReg) {
    case 2:
    case 3:
    case 230: {
        // One-register reads: the current record's words, or the date search's result.
        if (values.empty()) {
            return found;
        }
        const std::uint16_t v = values[0];
        FTable.SetValue(v, 0, v);
        found.RecordPointer = v;
        if (startReg == 230) {
            found.CurrentRecord = v;
        }
        found.Completed = true;
        return found;
    }
    case 0:
        return found;
    case 256:
    case 344:
    case 375:
        if (S.SizeDataMode) {
            FSizeData.Store(values);
        } else {
            StoreRecordBlock(values);
        }
        found.Completed = true;
        return found;
    default:
        StoreRecordBlock(values);
        FLastRegisterCount = regCount;
        found.Completed = true;
        return found;
    }
}

void TRecordImporter::StoreRecordBlock(const Corvane::TRegValues& values) {
    if (!S.AllDataMode && !S.FullDumpMode) {
        return;
    }
    if (values.size() < kRecordCells) {
        return; // not a whole record: nothing of it is stored
    }
    if (values[0] != kEmptyRecord) {
        const std::int32_t row = values[1];
        for (std::size_t j = 0; j < kRecordCells; ++j) {
            FTable.SetValue(row, static_cast<std::int32_t>(j), values[j]);
        }
        FReceivedRows.Add(row);
        ++FReceivedCount;
        const std::int32_t position =
            Percent(FReceivedCount, FWanted.empty() ? S.RecordsRequested : FWantedCount);
        FView.SetProgress(pbReceived, position);
        if (position > 48) {
            FView.SetProgressTextWhite(pbReceived, true);
        }
        FHost.ProcessEvents();
        return;
    }
    // An empty record carries no record number: it belongs to the row being read.
    const std::int64_t row = std::int64_t{S.BlockOffset} * S.Interval + S.RecordPointer;
    if (row < 0 || row > TDownloadState::LastRecordNumber ||
        validRecord(static_cast<std::int32_t>(row)) == NotInWindow) {
        return;
    }
    const auto r = static_cast<std::int32_t>(row);
    FTable.SetValue(r, 0, static_cast<std::uint16_t>(r));
    for (std::size_t j = 1; j < kRecordCells; ++j) {
        FTable.SetValue(r, static_cast<std::int32_t>(j), values[j]);
    }
    FReceivedRows.Add(r);
    ++FReceivedCount;
}

std::int32_t TRecordImporter::validRecord(std::int32_t n) const {
    return WindowPosition(n, S.FirstRecord, S.RecordsRequested, S.Interval);
}

std::int32_t TRecordImporter::WindowPosition(std::int32_t n, std::int32_t first, std::int32_t count,
                                             std::int32_t interval) {
    if (n < 0 || n > TDownloadState::LastRecordNumber) {
        return NotInWindow;
    }
    const std::int32_t p = WrapRecord(std::int64_t{n} - first);
    const std::int64_t span = std::int64_t{count} * interval;
    return p >= 1 && p <= span ? p : NotInWindow;
}

std::optional<std::vector<std::int32_t>> TRecordImporter::importData() {
    FList.BeginUpdate();
    ImportReceivedRows();
    FList.EndUpdate();

    FView.SetDisplayText("Data cleanup... Please wait...");
    FSkipWindow.fill(TRowList::Free);
    if (S.AbortRequested) {
        return std::nullopt;
    }
    return FindMissingRecords();
}

void TRecordImporter::ImportReceivedRows() {
    // A pass whose first arrival was already imported brings nothing new.
    if (FImportedRows.Contains(FReceivedRows[0]) || FImportedCount >= S.RecordsRequested) {
        return;
    }
    // Indexed walk over the live count: replies that arrive while events are processed below
    // append to the list and are imported in this same walk.
    for (std::int32_t i = 0; i < FReceivedRows.Count(); ++i) {
        if (S.AbortRequested) {
            return;
        }
        const std::int32_t row = FReceivedRows[i];
        if (FImportedRows.Contains(row)) {
            continue;
        }
        const auto item = TRecordItem::FromRow(FTable, row, S.FirstRecord);
        if (!item) {
            return; // a conversion error ends this pass's import; the rule below asks again
        }
        FImportedRows.Add(row);
        ++FImportedCount;
        FList.Append(*item);
        FView.SetProgress(pbImported, Percent(i + 1, FReceivedRows.Count()));
        if (Percent(i + 1, FReceivedRows.Count()) > 48) {
            FView.SetProgressTextWhite(pbImported, true);
        }
        FHost.ProcessEvents();
    }
}

std::vector<std::int32_t> TRecordImporter::FindMissingRecords() {
    FReceivedRows.Clear();
    // The record indexes that the list holds.
    TRowList listed;
    for (std::int32_t i = 0; i < FList.Count(); ++i) {
        listed.Add(FList.Item(i).RecordIndex());
    }
    std::vector<std::int32_t> missing;
    const std::int32_t n = std::min(S.RecordsRequested, TDownloadState::RecordSpace);
    for (std::int32_t k = 1; k <= n; ++k) {
        const std::int32_t record = WrapRecord(S.FirstRecord + std::int64_t{S.Interval} * k);
        if (listed.Contains(record) || InSkipWindow(record) ||
            (!FWanted.empty() && !FWanted[static_cast<std::size_t>(record)])) {
            continue;
        }
        missing.push_back(record);
        // The next thirteen records of a run are left for later passes.
        for (std::int32_t e = 0; e < SkipWindowSize; ++e) {
            FSkipWindow[static_cast<std::size_t>(e)] =
                WrapRecord(record + std::int64_t{e} * S.Interval);
        }
    }
    return missing;
}

bool TRecordImporter::InSkipWindow(std::int32_t n) const {
    return std::find(FSkipWindow.begin(), FSkipWindow.end(), n) != FSkipWindow.end();
}

void TRecordImporter::SortRecordList() {
    FList.SortAndRemoveDuplicates();
    ReportStep(FHost, FView, "List Count: " + std::to_string(FList.Count()));
    // Empty records keep their rows but show no values; the operator is told how many.
    if (const std::int32_t empty = FList.EmptyCount(); empty > 0) {
        ReportStep(FHost, FView, std::to_string(empty) + " of the records read were empty.");
    }
}

} // namespace Sondrel
