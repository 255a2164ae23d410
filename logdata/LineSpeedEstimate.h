// How long a download takes in the line-speed mode, where every wait ends with its request's
// outcome: the time its exchanges need on the line (TExchangeTiming: the characters of each
// request and reply at the line's speed, the standard's pause between them and the silence our
// side keeps), one record pointer write and one record block read per record, and the setup
// exchanges of the procedure. What the program itself spends between exchanges is left out: on
// a line at 115200 bit/s it is a few per cent.
//
// Pure functions; any thread.
#pragma once

#include "FrameTiming.h"

#include <cstdint>

namespace Sondrel {

// The setup exchanges of the procedures (single-register writes and one-register reads): the
// stop, Modbus mode, output selection, Nth record, two current-record searches and the restart
// of acquisition; the date search adds its four writes and its read; the whole log adds the
// size table.
inline constexpr std::int32_t kRecentSetupExchanges = 14;
inline constexpr std::int32_t kDateSetupExchanges = 15;
inline constexpr std::int32_t kWholeLogSetupExchanges = 21;

// Seconds for `records` records and `setupExchanges` setup exchanges; 0 when the line's speed is
// not known.
double LineSpeedSeconds(const Corvane::TExchangeTiming& line, std::int64_t records,
                        std::int32_t setupExchanges);

} // namespace Sondrel
