#include "CorvaneError.h"

#include <array>

namespace Corvane {

namespace {

constexpr std::array<std::string_view, msgMessageCount> kMessages = {
    "There is not enough space in the buffer to perform the requested action",
    "Buffer position is invalid (%d)",
    "Buffer size is invalid (%d)",
    "Starting register index is invalid (%d)",
    "Register index is invalid (%d)",
    "Internal error",
    "Failed to encode frame",
    "Failed to decode frame",
    "Could not open serial port",
    "Failed to initialize serial I/O buffers",
    "Failed to initialize communication timeouts",
    "Failed to initialize serial event mask",
    "Failed to update device control block",
    "Connection MUST be active for the requested action to be performed",
    "Connection must NOT be active for the requested action to be performed",
    "SSS Value must be between %d and %d",
    "Failed to enhance system clock resolution",
    "Discrete i/o count must be between 1 and %d",
    "Starting discrete i/o index is invalid (%d)",
    "SSS Register count must be between 1 and %d",
    "There is no active connection",
    "Diagnostic action was not recognized",
    "'%s' is not a valid integer value",
    "Value must be between %d and %d",
    "Custom baud rate must be greater than 0",
    "Serial line failure: %s",
};

} // namespace

std::string_view MessageText(TCorvaneMessage id) {
    return id < msgMessageCount ? kMessages[id] : std::string_view("Internal error");
}

std::string FormatText(std::string_view text, std::initializer_list<TFormatArg> args) {
    std::string out;
    out.reserve(text.size() + 16);
    auto next = args.begin();
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c != '%' || i + 1 >= text.size()) {
            out += c;
            continue;
        }
        const char spec = text[i + 1];
        if (spec == '%') {
            out += '%';
            ++i;
        } else if ((spec == 'd' || spec == 's') && next != args.end()) {
            if (const auto* n = std::get_if<std::int64_t>(&*next)) {
                out += std::to_string(*n);
            } else {
                out += std::get<std::string>(*next);
            }
            ++next;
            ++i;
        } else {
            out += c;
        }
    }
    return out;
}

ECorvaneError::ECorvaneError(TCorvaneMessage id, std::initializer_list<TFormatArg> args)
    : std::runtime_error(FormatText(MessageText(id), args)), FId(id) {}

ECorvaneError::ECorvaneError(TCorvaneMessage id, const std::string& text)
    : std::runtime_error(text), FId(id) {}

} // namespace Corvane
