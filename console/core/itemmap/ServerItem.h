// One item of the local server's map: a coil, discrete input, holding register or input
// register at one address, with its value, permitted range and write permission.
//
// One record of the item map file is 10 bytes (little-endian):
// address (2), kind (1), value (2), min (2), max (2), writeable (1). It is serialised field by
// field (ServerItemToBytes / ServerItemFromBytes), never by copying the struct, so the file
// layout does not depend on the machine.
//
// A kind outside ikCoil..ikInputRegister may come from a file; such records are carried but
// never shown or served (IsKnownKind). Writeable is true for any non-zero byte; a bit item is
// on exactly when its value is 1.
//
// Plain value types and pure functions; any thread may use them.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace Sondrel {

enum TServerItemKind : std::uint8_t {
    ikCoil,
    ikDiscreteInput,
    ikHoldingRegister,
    ikInputRegister,
};

// In memory an ordinary struct (its fields can be bound to references safely); the 10-byte
// little-endian record of the file is written and read field by field (ServerItemToBytes,
// ServerItemFromBytes), never by copying the struct.
struct TServerItem {
    std::uint16_t Address = 0;
    TServerItemKind Kind = ikCoil;
    std::uint16_t Value = 0;
    std::uint16_t Min = 0;
    std::uint16_t Max = 0;
    std::uint8_t Writeable = 0;
};

// Bytes of one record in the file.
inline constexpr std::size_t kServerItemSize = 10;

using TServerItemBytes = std::array<std::uint8_t, kServerItemSize>;

// A new item of the kind: address 0, value 0, min 0, max 65535, writeable (for every kind).
TServerItem NewServerItem(TServerItemKind kind);

TServerItemBytes ServerItemToBytes(const TServerItem& item);
TServerItem ServerItemFromBytes(std::span<const std::uint8_t, kServerItemSize> bytes);
bool SameServerItem(const TServerItem& a, const TServerItem& b); // all 10 bytes equal

bool IsKnownKind(TServerItemKind kind);
bool IsRegisterKind(TServerItemKind kind);
// Remote clients may write coils and holding registers only, and only when writeable.
bool IsWriteableByClient(const TServerItem& item);
bool IsBitOn(const TServerItem& item);

// "Coil", "Discrete Input", "Holding Register", "Input Register" (column and dialog texts).
std::string_view ServerItemKindText(TServerItemKind kind);
// "coil", "discrete input", "holding register", "input register" (log lines).
std::string_view ServerItemKindLowerText(TServerItemKind kind);

// Negative, zero or positive as a is below, equal to or above b by kind, then by address.
int CompareServerItems(const TServerItem& a, const TServerItem& b);

// The six column texts of a row: "Addr", "Kind", "Value", "Min", "Max", "Status".
std::array<std::string, 6> RowTexts(const TServerItem& item);

} // namespace Sondrel
