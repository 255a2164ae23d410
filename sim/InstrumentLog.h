// TInstrumentLog: the instrument's circular log of 62001 records (numbers 0..62000).
//
// The log is described, not stored: the current record (the one written last), how many
// records hold data counting back from it, and the current record's time stamp. Record r is
// (current - r) mod 62001 records old and, when that age is below the filled count, holds
// the sample taken that many minutes before the current record's time stamp (one record a
// minute); older records are empty. Each record's registers come from the generator.
//
// Owned by the instrument model; main thread (not thread-safe).
#pragma once

#include "RecordGenerator.h"
#include "RecordTime.h"

#include <optional>

namespace SondrelSim {

class TInstrumentLog {
public:
    // currentRecord 0..62000 and filledCount 0..62001 are clamped into range.
    TInstrumentLog(std::uint64_t seed, int currentRecord, int filledCount, TRecordTime currentTime);

    int CurrentRecord() const { return FCurrent; }
    int FilledCount() const { return FFilled; }
    // The time stamp of the current record (or, after an erase, of the last sampling moment).
    TRecordTime CurrentTime() const { return FCurrentTime; }

    // Records between the current one and record r, going back: 0 for the current record.
    // r must be 0..62000.
    int Age(int record) const;
    bool IsFilled(int record) const;
    // The time stamp of a filled record; nothing for an empty one.
    std::optional<TRecordTime> RecordTime(int record) const;
    // The record's 104 registers (filled or empty).
    TRecordBlock Block(int record) const;

    // The first filled record whose time stamp is at or after the given time; nothing when
    // the time is later than the current record or earlier than the oldest filled record.
    std::optional<int> FindAtOrAfter(TRecordTime time) const;

    // A new sample one minute after the current one goes into the next record, which wraps
    // from 62000 to 0 and overwrites the oldest record once the log is full.
    void AppendSample();
    // Every record becomes empty and the current record restarts at 0 (itself empty), so the
    // next sample goes to record 1. The clock keeps running.
    void Erase();

private:
    TRecordGenerator FGenerator;
    int FCurrent;
    int FFilled;
    TRecordTime FCurrentTime;
};

} // namespace SondrelSim
