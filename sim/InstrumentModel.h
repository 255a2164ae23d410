// TInstrumentModel: the simulated instrument's holding registers on top of its circular log.
//
// Reads (function 03) of registers 0..359:
//   2, 3      high and low word of the current record number
//   230       the record found by the date search (month 250, day 251, hour 252, minute
//             253): the record of that minute, on its latest date not after the current
//             record; 65535 when the log holds no record of that minute
//   243..255  the last value written (the command registers included)
//   256..359  the record selected by the record pointer (254), 104 registers; a read of
//             exactly 88 registers at 256 while 243 = 1 and 244 = 0 returns the channel
//             size table instead
//   others    0
// Registers above 359 do not exist.
//
// Writes (functions 06 and 16) are checked before any is applied:
//   243, 244  output selection A and B: any value
//   245       85 enters Modbus mode
//   246       10 stops acquisition, 11 starts it
//   249       1 erases the log
//   250..253  search month 1..12, day 1..31, hour 0..23, minute 0..59
//   254       record pointer 0..62000
//   255       Nth-record setting: any value (kept; block reads are selected by the pointer)
// Another value is an illegal value; any other register an illegal address.
//
// Owned by the simulator; main thread (not thread-safe).
#pragma once

#include "InstrumentLog.h"
#include "RecordTime.h"

#include <array>
#include <cstdint>
#include <vector>

namespace SondrelSim {

// Everything that shapes a new instrument.
struct TInstrumentSettings {
    std::uint64_t Seed = 1;
    int CurrentRecord = 10;
    int FilledCount = kRecordCount;
    TRecordTime CurrentTime;
};

enum TWriteCheck : std::uint8_t { wcAccepted, wcIllegalAddress, wcIllegalValue };

class TInstrumentModel {
public:
    explicit TInstrumentModel(const TInstrumentSettings& settings);

    static bool IsReadable(std::uint16_t reg) { return reg <= kRegLast; }
    // The values of count registers from start, read together as one request. Every
    // register must be readable.
    std::vector<std::uint16_t> Read(std::uint16_t start, std::uint16_t count) const;

    TWriteCheck CheckWrite(std::uint16_t reg, std::uint16_t value) const;
    // Applies a write that CheckWrite accepted; anything else is ignored.
    void Write(std::uint16_t reg, std::uint16_t value);

    bool Acquiring() const { return FAcquiring; }
    bool ModbusMode() const { return FModbusMode; }
    bool SizeTableSelected() const;
    // The record found by the date search registers, or 65535.
    std::uint16_t SearchResult() const;

    // One sampling moment of the running instrument (the caller checks Acquiring()).
    void AppendSample() { FLog.AppendSample(); }

    const TInstrumentLog& Log() const { return FLog; }

private:
    std::uint16_t Stored(std::uint16_t reg) const { return FStored[reg]; }

    TInstrumentLog FLog;
    // Last values written to registers 0..255 (only 243..255 are writable).
    std::array<std::uint16_t, kRegBlockStart> FStored{};
    bool FAcquiring = true;
    bool FModbusMode = false;
};

} // namespace SondrelSim
