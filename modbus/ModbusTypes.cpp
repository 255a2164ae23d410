#include "ModbusTypes.h"

#include <array>

namespace Corvane {

std::uint32_t BaudRateValue(TBaudRate rate) {
    static constexpr std::array<std::uint32_t, 16> kRates = {
        110,   300,   600,   1200,  2400,   4800,   9600,   14400,
        19200, 38400, 56000, 57600, 115200, 128000, 256000, 0};
    return rate < kRates.size() ? kRates[rate] : 0;
}

} // namespace Corvane
