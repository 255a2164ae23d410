#include "ServerAddressPrompt.h"

#include "TextToInteger.h"

#include "CorvaneError.h"

namespace Sondrel {

TAddressAnswer ParseServerAddressAnswer(std::string_view answer) {
    TAddressAnswer result;
    const auto value = TextToInteger(answer);
    if (!value) {
        result.Error =
            Corvane::FormatText("'%s' is not a valid server address.", {std::string(answer)});
        return result;
    }
    result.Ok = true;
    result.Address = static_cast<std::uint8_t>(static_cast<std::uint64_t>(*value) & 0xFF);
    return result;
}

} // namespace Sondrel
