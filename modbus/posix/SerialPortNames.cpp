// Serial port listing from sysfs. The serial core exposes each port's UART kind in "type";
// 0 is PORT_UNKNOWN, which the 8250 driver keeps for legacy ports with no chip behind them.
// The type file is read rather than the driver link, because recent kernels put a generic
// serial-base "port" device between the tty and the 8250 driver.
#include "SerialPortNames.h"

#include "PortNameOrder.h"

#include <algorithm>
#include <filesystem>
#include <fstream>

namespace Corvane {

namespace {

namespace fs = std::filesystem;

bool HasNoUart(const fs::path& ttyDir) {
    std::ifstream typeFile(ttyDir / "type");
    long type = -1;
    return typeFile >> type && type == 0;
}

} // namespace

const char* const kSystemPortListing = "/sys/class/tty";

void GetSerialPortNames(std::vector<std::string>& names, const std::string& sysfsRoot) {
    names.clear();
    std::error_code ec;
    fs::directory_iterator it(sysfsRoot, ec);
    for (; !ec && it != fs::directory_iterator(); it.increment(ec)) {
        const fs::path ttyDir = it->path();
        std::error_code probe;
        if (!fs::exists(ttyDir / "device", probe) || HasNoUart(ttyDir)) {
            continue;
        }
        names.push_back("/dev/" + ttyDir.filename().string());
    }
    std::sort(names.begin(), names.end(), NaturalLess);
}

} // namespace Corvane
