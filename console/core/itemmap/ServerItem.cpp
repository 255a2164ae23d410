#include "ServerItem.h"

namespace Sondrel {

namespace {

constexpr std::array<std::string_view, 4> kKindTexts = {"Coil", "Discrete Input",
                                                        "Holding Register", "Input Register"};
constexpr std::array<std::string_view, 4> kKindLowerTexts = {"coil", "discrete input",
                                                             "holding register", "input register"};

void PutWord(TServerItemBytes& bytes, std::size_t at, std::uint16_t value) {
    bytes[at] = static_cast<std::uint8_t>(value & 0xFF);
    bytes[at + 1] = static_cast<std::uint8_t>(value >> 8);
}

std::uint16_t GetWord(std::span<const std::uint8_t, kServerItemSize> bytes, std::size_t at) {
    return static_cast<std::uint16_t>(bytes[at] | (bytes[at + 1] << 8));
}

} // namespace

TServerItem NewServerItem(TServerItemKind kind) {
    TServerItem item;
    item.Kind = kind;
    item.Max = 65535;
    item.Writeable = 1;
    return item;
}

TServerItemBytes ServerItemToBytes(const TServerItem& item) {
    TServerItemBytes bytes{};
    PutWord(bytes, 0, item.Address);
    bytes[2] = item.Kind;
    PutWord(bytes, 3, item.Value);
    PutWord(bytes, 5, item.Min);
    PutWord(bytes, 7, item.Max);
    bytes[9] = item.Writeable;
    return bytes;
}

TServerItem ServerItemFromBytes(std::span<const std::uint8_t, kServerItemSize> bytes) {
    TServerItem item;
    item.Address = GetWord(bytes, 0);
    item.Kind = static_cast<TServerItemKind>(bytes[2]);
    item.Value = GetWord(bytes, 3);
    item.Min = GetWord(bytes, 5);
    item.Max = GetWord(bytes, 7);
    item.Writeable = bytes[9];
    return item;
}

bool SameServerItem(const TServerItem& a, const TServerItem& b) {
    return ServerItemToBytes(a) == ServerItemToBytes(b);
}

bool IsKnownKind(TServerItemKind kind) {
    return kind <= ikInputRegister;
}

bool IsRegisterKind(TServerItemKind kind) {
    return kind == ikHoldingRegister || kind == ikInputRegister;
}

bool IsWriteableByClient(const TServerItem& item) {
    return (item.Kind == ikCoil || item.Kind == ikHoldingRegister) && item.Writeable != 0;
}

bool IsBitOn(const TServerItem& item) {
    return item.Value == 1;
}

std::string_view ServerItemKindText(TServerItemKind kind) {
    return IsKnownKind(kind) ? kKindTexts[kind] : std::string_view();
}

std::string_view ServerItemKindLowerText(TServerItemKind kind) {
    return IsKnownKind(kind) ? kKindLowerTexts[kind] : std::string_view();
}

int CompareServerItems(const TServerItem& a, const TServerItem& b) {
    if (a.Kind != b.Kind) {
        return a.Kind < b.Kind ? -1 : 1;
    }
    if (a.Address != b.Address) {
        return a.Address < b.Address ? -1 : 1;
    }
    return 0;
}

std::array<std::string, 6> RowTexts(const TServerItem& item) {
    const bool isRegister = IsRegisterKind(item.Kind);
    return {
        std::to_string(item.Address),
        std::string(ServerItemKindText(item.Kind)),
        isRegister ? std::to_string(item.Value) : std::string(IsBitOn(item) ? "On" : "Off"),
        isRegister ? std::to_string(item.Min) : std::string("N/A"),
        isRegister ? std::to_string(item.Max) : std::string("N/A"),
        IsWriteableByClient(item) ? "Read/Write" : "Read-Only",
    };
}

} // namespace Sondrel
