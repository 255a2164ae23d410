// The local server's answers to its item events, taken from the item map: which commands are
// accepted, whether an item may be read or written, its value, and the storing of written
// values. A refused read or write also gives the log line that the console writes for it.
//
// Independent of the server class: the window binds the server's events to these functions.
// Main thread only, like the map.
#pragma once

#include "ServerItem.h"

#include "ModbusTypes.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace Sondrel {

class TServerItemMap;

struct TReadAnswer {
    bool Allow = false;
    std::optional<std::string> LogLine; // set when refused
};

struct TWriteAnswer {
    Corvane::TItemWriteStatus Status = Corvane::iwsIllegalAddress;
    std::optional<std::string> LogLine; // set when refused
};

// The functions the local server answers (those TModbusServer serves: 1 to 6, 15, 16).
bool AcceptCommand(std::uint8_t command);

// Allowed when an item of the kind is at the address; else
// "[Read Request Error] No %s found at local server address %d.".
TReadAnswer AnswerCanRead(const TServerItemMap& map, TServerItemKind kind, std::uint16_t address);

// iwsAllowWrite for a writeable coil; else iwsIllegalAddress and
// "[Write Request Error] No writeable coil found at local server address %d.".
TWriteAnswer AnswerCanWriteCoil(const TServerItemMap& map, std::uint16_t address);

// No writeable holding register: iwsIllegalAddress and the "No writeable" line; a value
// outside min..max: iwsIllegalValue and
// "[Write Request Error] Illegal value (%d) for holding register at local server address %d.";
// otherwise iwsAllowWrite.
TWriteAnswer AnswerCanWriteHoldingRegister(const TServerItemMap& map, std::uint16_t address,
                                           std::uint16_t value);

// The value of a coil or discrete input (on when 1), or none when there is no such item (the
// server's value is then left as it is).
std::optional<bool> AnswerGetBitValue(const TServerItemMap& map, TServerItemKind kind,
                                      std::uint16_t address);
// The value of a holding or input register, or none when there is no such item.
std::optional<std::uint16_t> AnswerGetRegisterValue(const TServerItemMap& map, TServerItemKind kind,
                                                    std::uint16_t address);

// Store a written value (a coil stores 0 or 1) and return the row that changed, so that the
// window can refresh it; none when there is no such item. The file is not written.
std::optional<std::size_t> StoreCoilValue(TServerItemMap& map, std::uint16_t address, bool value);
std::optional<std::size_t> StoreHoldingRegisterValue(TServerItemMap& map, std::uint16_t address,
                                                     std::uint16_t value);

} // namespace Sondrel
