// The instrument's record replies as the download decodes and imports them: a download window
// (first record, count, interval and mode from the first input bytes) and then a run of
// holding-register replies (start register, count and values from the rest), each handed to
// the importer as a completed read; then the passes' import and the final sort, and every text
// of every list item. No crash, no read outside the table, at most one item per record index
// after the sort, and a block list of the next pass that never outgrows the window.
#include "DownloadState.h"
#include "NullDownloadHost.h"
#include "RecordImporter.h"

#include <cstddef>
#include <cstdint>
#include <set>

using namespace Sondrel;

namespace {

void Check(bool condition) {
    if (!condition) {
        __builtin_trap();
    }
}

// Reads the input front to back; past its end every read gives zeros.
class TInput {
public:
    TInput(const std::uint8_t* data, std::size_t size) : FData(data), FSize(size) {}
    bool AtEnd() const { return FPos >= FSize; }
    std::uint8_t Byte() { return FPos < FSize ? FData[FPos++] : 0; }
    std::uint16_t Word() {
        const std::uint16_t high = Byte();
        return static_cast<std::uint16_t>((high << 8) | Byte());
    }

private:
    const std::uint8_t* FData;
    std::size_t FSize;
    std::size_t FPos = 0;
};

// The start registers the download reads, and one it never reads.
constexpr std::uint16_t kStarts[] = {256, 2, 3, 230, 300, 1000};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    TInput in(data, size);
    TNullDownloadHost host;
    TDownloadState state;
    const std::uint8_t mode = in.Byte();
    state.AllDataMode = (mode & 1) != 0;
    state.FullDumpMode = (mode & 2) != 0;
    state.SizeDataMode = (mode & 4) != 0;
    state.FirstRecord = in.Word() % TDownloadState::RecordSpace;
    state.RecordsRequested = 1 + in.Word() % TDownloadState::RecordSpace;
    state.Interval = 1 + in.Byte() % 16;
    TRecordImporter importer(state, host);

    // At most a couple of hundred replies and a few passes (each pass walks the whole window),
    // so that one input stays fast.
    int passes = 0;
    for (int reply = 0; reply < 200 && !in.AtEnd(); ++reply) {
        const std::uint8_t kind = in.Byte();
        const std::uint16_t start = kStarts[kind % std::size(kStarts)];
        const std::uint16_t count = static_cast<std::uint16_t>(1 + in.Byte() % 125);
        state.RecordPointer = in.Word() % 65536;
        Corvane::TRegValues values;
        // A reply may carry fewer values than it was asked for.
        const std::uint16_t carried = (kind & 0x80) ? static_cast<std::uint16_t>(in.Byte()) : count;
        const std::uint16_t fill = in.Word();
        for (std::uint16_t i = 0; i < carried; ++i) {
            // Mostly one value repeated, with a few taken from the input, so that both
            // empty-looking and record-looking blocks come up.
            values.push_back((i % 8 == 1) ? in.Word() : fill);
        }
        Corvane::TTransactionInfo info;
        info.Status = (kind & 0x40) ? Corvane::rsTimeoutExpired : Corvane::rsNormalResponse;
        (void)importer.OnHoldingRegistersRead(info, start, count, values);
        if ((kind & 0x20) && passes++ < 3) {
            const auto missing = importer.importData();
            Check(!missing || missing->size() <= static_cast<std::size_t>(state.RecordsRequested));
        }
    }
    (void)importer.importData();
    importer.SortRecordList();

    const TRecordList& list = importer.List();
    std::set<std::int32_t> indexes;
    for (std::int32_t row = 0; row < list.Count(); ++row) {
        const std::int32_t index = list.Item(row).RecordIndex();
        Check(indexes.insert(index).second);
        for (std::int32_t column = 0; column < TRecordItem::ColumnCount; ++column) {
            (void)list.Text(row, column);
        }
        (void)list.IsSilver(row);
    }
    return 0;
}
