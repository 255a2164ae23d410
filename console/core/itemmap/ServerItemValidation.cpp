#include "ServerItemValidation.h"

#include "TextToInteger.h"

namespace Sondrel {

namespace {

// The field as a 16-bit word; the old value when the text is no such word.
std::uint16_t WordOf(const std::string& text, std::uint16_t old) {
    const auto value = TextToInteger(text);
    return value && *value >= 0 && *value <= 65535 ? static_cast<std::uint16_t>(*value) : old;
}

} // namespace

TItemEditorCheck CheckServerItemEditor(TServerItemKind kind, const TItemEditorInput& input) {
    const auto address = CheckIntegerRange(input.Address, 0, 65535, ebCheck);
    if (!address.Ok) {
        return {efAddress, address.Error};
    }
    if (!IsRegisterKind(kind)) {
        return {};
    }
    const auto min = CheckIntegerRange(input.MinValue, 0, 65535, ebCheck);
    if (!min.Ok) {
        return {efMinValue, min.Error};
    }
    const auto max = CheckIntegerRange(input.MaxValue, min.Value, 65535, ebCheck);
    if (!max.Ok) {
        return {efMaxValue, max.Error};
    }
    const auto value = CheckIntegerRange(input.Value, min.Value, max.Value, ebCheck);
    if (!value.Ok) {
        return {efValue, value.Error};
    }
    return {};
}

TServerItem ApplyServerItemEditor(const TServerItem& item, const TItemEditorInput& input) {
    TServerItem result = item;
    result.Address = WordOf(input.Address, item.Address);
    if (IsRegisterKind(item.Kind)) {
        result.Value = WordOf(input.Value, item.Value);
        result.Min = WordOf(input.MinValue, item.Min);
        result.Max = WordOf(input.MaxValue, item.Max);
    } else {
        result.Value = input.ValueChecked ? 1 : 0;
    }
    if (item.Kind == ikCoil || item.Kind == ikHoldingRegister) {
        result.Writeable = input.WriteableChecked ? 1 : 0;
    }
    return result;
}

} // namespace Sondrel
