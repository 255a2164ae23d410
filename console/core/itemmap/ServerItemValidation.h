// The item editor's OK check and the write-back of its fields, without the dialog.
//
// Checks in this order, the first failure wins: the address in 0..65535; for holding and input
// registers the minimum in 0..65535, the maximum in min..65535, the value in min..max. Every
// range is checked, also one whose bounds are equal (min = max accepts only that value).
// Errors: "'%s' is not a valid integer value" with the text, "Value must be between %d and %d"
// with the bounds.
//
// Pure functions; any thread may call them.
#pragma once

#include "ServerItem.h"

#include <cstdint>
#include <string>

namespace Sondrel {

// What the dialog's fields hold. The register edits are ignored for bit items, the check
// boxes for the kinds that do not show them.
struct TItemEditorInput {
    std::string Address;
    std::string Value;
    std::string MinValue;
    std::string MaxValue;
    bool ValueChecked = false;     // "Item is ON", bit items
    bool WriteableChecked = false; // "Item is Writeable", coils and holding registers
};

enum TItemEditorField : std::uint8_t { efNone, efAddress, efMinValue, efMaxValue, efValue };

struct TItemEditorCheck {
    TItemEditorField Field = efNone; // the field to focus; efNone when all are valid
    std::string Error;
};

TItemEditorCheck CheckServerItemEditor(TServerItemKind kind, const TItemEditorInput& input);

// The item with the dialog's fields written back (the input must have passed the check): the
// address; value, min and max for registers, the check box as 0 or 1 for bits; the writeable
// flag for coils and holding registers. The kind and the other fields stay.
TServerItem ApplyServerItemEditor(const TServerItem& item, const TItemEditorInput& input);

} // namespace Sondrel
