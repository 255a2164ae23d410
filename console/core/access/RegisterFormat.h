// How register values are shown and typed: 16-bit unsigned (the default), signed, hex or
// binary, or a 32-bit unsigned, signed or float, or a 64-bit float over consecutive
// registers, in one of four word orders.
//
// A value's bytes, most significant first, are A B C D (E F G H for 64 bits). The word order
// names how they lie in the registers: ABCD most significant register first, each register
// high byte first (the Modbus serial line standard's own order); CDAB least significant
// register first; BADC and DCBA the same with the two bytes of each register swapped. For a
// 16-bit format, BADC and DCBA swap the register's bytes and ABCD and CDAB leave them.
//
// Qt-free; pure functions.
#pragma once

#include "ModbusTypes.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace Sondrel {

enum TRegisterFormat : std::uint8_t {
    rfUnsigned,
    rfSigned,
    rfHex,
    rfBinary,
    rfUnsigned32,
    rfSigned32,
    rfFloat32,
    rfFloat64,
};

enum TWordOrder : std::uint8_t { woABCD, woCDAB, woBADC, woDCBA };

inline constexpr TRegisterFormat kRegisterFormats[] = {
    rfUnsigned, rfSigned, rfHex, rfBinary, rfUnsigned32, rfSigned32, rfFloat32, rfFloat64};
inline constexpr TWordOrder kWordOrders[] = {woABCD, woCDAB, woBADC, woDCBA};

// 1, 2 or 4.
std::size_t RegistersPerValue(TRegisterFormat format);

// "unsigned", "signed", "hex", "binary", "uint32", "int32", "float32", "float64": the names
// the CLI takes and the settings keep; the window shows them as they are.
std::string FormatName(TRegisterFormat format);
std::optional<TRegisterFormat> FormatFromName(std::string_view name);
// "ABCD", "CDAB", "BADC", "DCBA"; parsed without regard to case.
std::string WordOrderName(TWordOrder order);
std::optional<TWordOrder> WordOrderFromName(std::string_view name);

// The text of the value in the first RegistersPerValue registers: decimal for the integers
// (unsigned 16-bit exactly as the console always showed it), "0x002A" for hex, sixteen digits
// for binary, the shortest text that reads back to the same float for the floats ("nan",
// "inf", "-inf" for those).
std::string FormatValue(TRegisterFormat format, TWordOrder order, const std::uint16_t* registers);

// The texts of every whole value in the registers; a trailing part of a value is left out.
std::vector<std::string> FormatValues(TRegisterFormat format, TWordOrder order,
                                      const Corvane::TRegValues& registers);

// The registers of a typed value, in the order they are written. Blanks around the text are
// ignored. Unsigned and signed take decimal within their range; hex takes 1 to 4 (8 for
// nothing: hex is 16-bit) hex digits with or without "0x"; binary 1 to 16 binary digits; the
// floats a finite decimal number that their type holds. Nothing (and Error set) otherwise.
struct TParsedValue {
    std::optional<Corvane::TRegValues> Registers;
    std::string Error;
};
TParsedValue ParseValue(TRegisterFormat format, TWordOrder order, std::string_view text);

} // namespace Sondrel
