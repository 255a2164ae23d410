// A fake particle counter: the instrument's holding-register map as the download uses it.
//
// - registers 2/3: high and low word of the current record;
// - 254: record pointer; a read of 104 registers at 256 returns that record in the all-data
//   layout (deterministic contents, see RecordRegisters), or an empty record;
// - 250..253 (month, day, hour, minute) then a read of 230: the record with that time stamp,
//   65535 when none;
// - 243 = 1 and 244 = 0: a read of 88 registers at 256 returns the channel size table;
// - 246: 10 stops and 11 starts acquisition; 249 := 1 erases the log.
// Faults: writes to the registers in SilencedWrites are never answered (nor applied), reads
// from the start registers in SilencedReads are not answered, and every DropEveryKthBlock-th
// record block read is not answered.
#pragma once

#include "ModbusTypes.h"

#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <set>

class TFakeInstrument {
public:
    static constexpr std::int32_t RecordSpace = 62001;

    // The instrument's contents of record n (104 registers; offsets 84..103 unused).
    static Corvane::TRegValues RecordRegisters(std::int32_t n);
    // The time stamp of record n: month, day, hour, minute (record n is sampled at minute n).
    static std::array<std::uint16_t, 4> TimeOf(std::int32_t n);

    // Returns false when the write is not answered.
    bool Write(std::uint16_t reg, std::uint16_t value);
    // Returns nothing when the read is not answered.
    std::optional<Corvane::TRegValues> Read(std::uint16_t start, std::uint16_t count);

    bool IsFilled(std::int32_t n) const;
    std::uint16_t Register(std::uint16_t reg) const { return FRegisters[reg]; }

    std::int32_t CurrentRecord = 10;
    std::uint16_t CurrentRecordHigh = 0;
    // Records CurrentRecord - FilledCount + 1 .. CurrentRecord (wrapping) hold samples.
    std::int32_t FilledCount = RecordSpace;
    // An empty record reads 65535 in every register, or, when set, carries its number in
    // register 1.
    bool EmptyRecordsNumbered = false;
    std::map<std::int32_t, Corvane::TRegValues> Overrides;
    Corvane::TRegValues SizeTable = Corvane::TRegValues(88, 0);
    std::set<std::uint16_t> SilencedWrites;
    std::set<std::uint16_t> SilencedReads; // start registers whose reads are not answered
    std::int32_t DropEveryKthBlock = 0;

    bool Acquiring = true;
    bool Erased = false;
    std::int32_t BlockReads = 0;

private:
    Corvane::TRegValues RecordAt(std::int32_t n) const;

    std::array<std::uint16_t, 65536> FRegisters{};
};
