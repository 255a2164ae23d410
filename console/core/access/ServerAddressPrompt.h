// The two address prompts of the Edit menu ("Modbus Slave Address..." for the remote server
// the client talks to, "Modbus Server Options..." for the local server's own address): their
// titles and texts, and the reading of the operator's answer.
//
// The prompt is prefilled with the current address in decimal. An answer that is not an integer
// gives "'%s' is not a valid server address." with the answer and changes nothing; otherwise
// the low 8 bits of the integer are the new address (the server's own setter then rejects 0 and
// values above 247 with its range error; the client takes any value).
//
// Pure functions and constants; any thread may use them.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace Sondrel {

struct TAddressPrompt {
    std::string_view Title;
    std::string_view Text;
};

inline constexpr TAddressPrompt kClientAddressPrompt{
    "Modbus Client Options",
    "Enter the address of a remote server (acceptable values are 1 through 247):"};
inline constexpr TAddressPrompt kServerAddressPrompt{
    "Modbus Server Options",
    "Enter the address of a local server (acceptable values are 1 through 247):"};

struct TAddressAnswer {
    bool Ok = false;
    std::uint8_t Address = 0; // the low 8 bits of the answer when Ok
    std::string Error;        // when not Ok
};

TAddressAnswer ParseServerAddressAnswer(std::string_view answer);

} // namespace Sondrel
