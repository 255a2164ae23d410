#include "InstrumentLog.h"

#include <algorithm>

namespace SondrelSim {

TInstrumentLog::TInstrumentLog(std::uint64_t seed, int currentRecord, int filledCount,
                               TRecordTime currentTime)
    : FGenerator(seed), FCurrent(std::clamp(currentRecord, 0, kLastRecordNumber)),
      FFilled(std::clamp(filledCount, 0, kRecordCount)), FCurrentTime(currentTime) {}

int TInstrumentLog::Age(int record) const {
    return ((FCurrent - record) % kRecordCount + kRecordCount) % kRecordCount;
}

bool TInstrumentLog::IsFilled(int record) const {
    return record >= 0 && record <= kLastRecordNumber && Age(record) < FFilled;
}

std::optional<TRecordTime> TInstrumentLog::RecordTime(int record) const {
    if (!IsFilled(record)) {
        return std::nullopt;
    }
    return FCurrentTime - Age(record);
}

TRecordBlock TInstrumentLog::Block(int record) const {
    if (const auto time = RecordTime(record)) {
        return FGenerator.FilledBlock(record, *time);
    }
    return TRecordGenerator::EmptyBlock();
}

std::optional<int> TInstrumentLog::FindAtOrAfter(TRecordTime time) const {
    const std::int64_t age = FCurrentTime - time;
    // One record a minute without gaps: the record at or after the time is the one of
    // exactly that minute, as long as the time lies within the filled part of the log.
    if (FFilled == 0 || age < 0 || age >= FFilled) {
        return std::nullopt;
    }
    return static_cast<int>((FCurrent - age % kRecordCount + kRecordCount) % kRecordCount);
}

void TInstrumentLog::AppendSample() {
    FCurrent = FCurrent == kLastRecordNumber ? 0 : FCurrent + 1;
    FFilled = std::min(FFilled + 1, kRecordCount);
    FCurrentTime = FCurrentTime + 1;
}

void TInstrumentLog::Erase() {
    FCurrent = 0;
    FFilled = 0;
}

} // namespace SondrelSim
