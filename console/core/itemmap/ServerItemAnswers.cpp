#include "ServerItemAnswers.h"

#include "ServerItemMap.h"

#include "CorvaneError.h"
#include "FunctionCodes.h"

namespace Sondrel {

namespace {

using Corvane::FormatText;

std::string NoWriteableLine(TServerItemKind kind, std::uint16_t address) {
    return FormatText("[Write Request Error] No writeable %s found at local server address %d.",
                      {std::string(ServerItemKindLowerText(kind)), std::int64_t{address}});
}

// The item the client may write at the address, or none.
const TServerItem* WriteableItem(const TServerItemMap& map, TServerItemKind kind,
                                 std::uint16_t address) {
    const auto row = map.FindServerItem(address, kind);
    if (!row || !IsWriteableByClient(map.Row(*row))) {
        return nullptr;
    }
    return &map.Row(*row);
}

} // namespace

bool AcceptCommand(std::uint8_t command) {
    return Corvane::IsServedFunction(command);
}

TReadAnswer AnswerCanRead(const TServerItemMap& map, TServerItemKind kind, std::uint16_t address) {
    if (map.FindServerItem(address, kind)) {
        return {true, std::nullopt};
    }
    return {false, FormatText("[Read Request Error] No %s found at local server address %d.",
                              {std::string(ServerItemKindLowerText(kind)), std::int64_t{address}})};
}

TWriteAnswer AnswerCanWriteCoil(const TServerItemMap& map, std::uint16_t address) {
    if (WriteableItem(map, ikCoil, address)) {
        return {Corvane::iwsAllowWrite, std::nullopt};
    }
    return {Corvane::iwsIllegalAddress, NoWriteableLine(ikCoil, address)};
}

TWriteAnswer AnswerCanWriteHoldingRegister(const TServerItemMap& map, std::uint16_t address,
                                           std::uint16_t value) {
    const TServerItem* item = WriteableItem(map, ikHoldingRegister, address);
    if (!item) {
        return {Corvane::iwsIllegalAddress, NoWriteableLine(ikHoldingRegister, address)};
    }
    if (value < item->Min || value > item->Max) {
        return {Corvane::iwsIllegalValue,
                FormatText("[Write Request Error] Illegal value (%d) for %s at local server "
                           "address %d.",
                           {std::int64_t{value},
                            std::string(ServerItemKindLowerText(ikHoldingRegister)),
                            std::int64_t{address}})};
    }
    return {Corvane::iwsAllowWrite, std::nullopt};
}

std::optional<bool> AnswerGetBitValue(const TServerItemMap& map, TServerItemKind kind,
                                      std::uint16_t address) {
    if (IsRegisterKind(kind)) {
        return std::nullopt;
    }
    const auto row = map.FindServerItem(address, kind);
    if (!row) {
        return std::nullopt;
    }
    return IsBitOn(map.Row(*row));
}

std::optional<std::uint16_t> AnswerGetRegisterValue(const TServerItemMap& map, TServerItemKind kind,
                                                    std::uint16_t address) {
    if (!IsRegisterKind(kind)) {
        return std::nullopt;
    }
    const auto row = map.FindServerItem(address, kind);
    if (!row) {
        return std::nullopt;
    }
    return map.Row(*row).Value;
}

std::optional<std::size_t> StoreCoilValue(TServerItemMap& map, std::uint16_t address, bool value) {
    const auto row = map.FindServerItem(address, ikCoil);
    if (row) {
        map.SetRowValue(*row, value ? 1 : 0);
    }
    return row;
}

std::optional<std::size_t> StoreHoldingRegisterValue(TServerItemMap& map, std::uint16_t address,
                                                     std::uint16_t value) {
    const auto row = map.FindServerItem(address, ikHoldingRegister);
    if (row) {
        map.SetRowValue(*row, value);
    }
    return row;
}

} // namespace Sondrel
