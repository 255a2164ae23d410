// The one exception class of the Modbus library and its message table.
// Every library error carries a message id so that callers and tests can tell errors apart
// without comparing texts; what() holds the formatted text.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <stdexcept>
#include <string>
#include <string_view>
#include <variant>

namespace Corvane {

enum TCorvaneMessage : std::uint8_t {
    msgNotEnoughSpace,
    msgBufferPositionInvalid,
    msgBufferSizeInvalid,
    msgStartingRegisterInvalid,
    msgRegisterIndexInvalid,
    msgInternalError,
    msgFailedToEncodeFrame,
    msgFailedToDecodeFrame,
    msgCouldNotOpenPort,
    msgFailedToInitBuffers,
    msgFailedToInitTimeouts,
    msgFailedToInitEventMask,
    msgFailedToUpdateDcb,
    msgConnectionMustBeActive,
    msgConnectionMustNotBeActive,
    msgValueMustBeBetweenSSS,
    msgFailedToEnhanceClock,
    msgDiscreteCountInvalid,
    msgStartingDiscreteInvalid,
    msgRegisterCountInvalid,
    msgNoActiveConnection,
    msgDiagnosticActionUnknown,
    msgNotAValidInteger,
    msgValueMustBeBetween,
    msgCustomBaudRateZero,
    msgSerialLineFailed,
    msgMessageCount
};

// The untranslated text of a message, with its "%d"/"%s" placeholders.
std::string_view MessageText(TCorvaneMessage id);

using TFormatArg = std::variant<std::int64_t, std::string>;

// Fills the "%d" and "%s" placeholders of a text in order ("%%" is a percent sign).
// The one formatting helper of the program's message tables: missing arguments leave the
// placeholder as it is, surplus arguments are ignored.
std::string FormatText(std::string_view text, std::initializer_list<TFormatArg> args = {});

class ECorvaneError : public std::runtime_error {
public:
    ECorvaneError(TCorvaneMessage id, std::initializer_list<TFormatArg> args = {});
    // A library error whose text is not in the table (an OS failure explained in words).
    ECorvaneError(TCorvaneMessage id, const std::string& text);

    TCorvaneMessage MessageId() const { return FId; }

private:
    TCorvaneMessage FId;
};

} // namespace Corvane
