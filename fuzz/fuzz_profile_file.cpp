// Arbitrary bytes read as a console settings file (profile text): parsing must not crash,
// must keep every byte, and a write must read back without disturbing other sections.
#include "ProfileText.h"
#include "TextToInteger.h"

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

namespace {

void Check(bool condition) {
    if (!condition) {
        __builtin_trap();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    Sondrel::TProfileText text(bytes);
    Check(text.Bytes() == bytes);

    const auto logFlag = text.Find("General", "LogTransactionsToFile");
    if (logFlag) {
        (void)Sondrel::TextToInteger(*logFlag);
    }
    (void)text.Find("ModbusConnection1", "Port");

    text.Set("ModbusConnection1", "BaudRate", "15");
    Check(text.Find("modbusconnection1", "baudrate") == "15");
    Check(text.Find("General", "LogTransactionsToFile") == logFlag);
    const Sondrel::TProfileText reread(text.Bytes());
    Check(reread.Find("ModbusConnection1", "BaudRate") == "15");

    // A section and key named by the input itself, when the format can hold them.
    const std::string_view name = bytes.substr(0, std::min<std::size_t>(bytes.size(), 12));
    try {
        text.Set(name, name, "x");
        Check(text.Find(name, name) == "x");
    } catch (const std::invalid_argument&) {
    }
    return 0;
}
