// TRegisterReadResults: the values that the console's register reads returned, for the results
// table of the "Modbus Access" tab (the log itself only counts registers).
//
// One row per register: its address, its value, the time of day the reply arrived and whether
// it is a holding or an input register. Rows run newest read first; inside one read they keep
// the address order of the request. The table holds at most MaxRows rows: a read that pushes
// it beyond drops the oldest rows from the end, so a long session costs bounded memory.
//
// Prepend and TrimToLimit are separate steps so that a Qt model can announce the rows it
// inserts at the top and the rows it removes at the end one after the other.
//
// Qt-free; main thread only (no lock). A plain value.
#pragma once

#include "ModbusTypes.h"
#include "RegisterFormat.h"
#include "TransactionLog.h"

#include <cstdint>
#include <deque>
#include <string>

namespace Sondrel {

enum TRegisterReadKind : std::uint8_t { rkHolding, rkInput };

struct TRegisterReadRow {
    // start + i of the request; never above 65535 for a request the client accepted.
    std::uint32_t Address = 0;
    std::uint16_t Value = 0;
    TLogTime Time;
    TRegisterReadKind Kind = rkHolding;
    // This register's place in its read (0 for the read's start) and the read's length, for
    // values that span registers.
    std::uint32_t ReadOffset = 0;
    std::uint32_t ReadCount = 1;
};

class TRegisterReadResults {
public:
    static constexpr std::int32_t MaxRows = 10000;

    std::int32_t Count() const { return static_cast<std::int32_t>(FRows.size()); }
    // Row 0 is the first register of the newest read.
    const TRegisterReadRow& Row(std::int32_t row) const {
        return FRows.at(static_cast<std::size_t>(row));
    }

    // Puts one read's registers above every row: start, start + 1, ... in that order.
    void Prepend(TRegisterReadKind kind, std::uint16_t start, const Corvane::TRegValues& values,
                 const TLogTime& time);
    // How many rows TrimToLimit would drop now.
    std::int32_t Excess() const { return Count() > MaxRows ? Count() - MaxRows : 0; }
    void TrimToLimit();
    void Clear() { FRows.clear(); }

    // The texts of the table's cells: the address and the value in decimal, the time as the
    // log writes it ("hh:nn:ss.zzz"), "Holding" or "Input".
    static std::string AddressText(const TRegisterReadRow& row);
    static std::string ValueText(const TRegisterReadRow& row);
    // The value cell in a chosen format: for a format over several registers, the value
    // starting at the row on the row of its first register (counted from the read's start)
    // and nothing on the rows of its other registers; "-" for the registers at a read's end
    // that make no whole value. The 16-bit unsigned format in ABCD is ValueText.
    std::string FormattedValueText(std::int32_t row, TRegisterFormat format,
                                   TWordOrder order) const;
    static std::string TimeText(const TRegisterReadRow& row);
    static std::string KindText(const TRegisterReadRow& row);

private:
    std::deque<TRegisterReadRow> FRows;
};

} // namespace Sondrel
