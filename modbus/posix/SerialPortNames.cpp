// Serial port listing from sysfs. The serial core exposes each port's UART kind in "type";
// 0 is PORT_UNKNOWN, which the 8250 driver keeps for legacy ports with no chip behind them.
// The type file is read rather than the driver link, because recent kernels put a generic
// serial-base "port" device between the tty and the 8250 driver.
#include "SerialPortNames.h"

#include <algorithm>
#include <cctype>
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

// Orders runs of digits by their value, everything else by character code.
bool NaturalLess(const std::string& a, const std::string& b) {
    std::size_t i = 0;
    std::size_t j = 0;
    const auto isDigit = [](char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; };
    while (i < a.size() && j < b.size()) {
        if (isDigit(a[i]) && isDigit(b[j])) {
            std::size_t endA = i;
            std::size_t endB = j;
            while (endA < a.size() && isDigit(a[endA])) {
                ++endA;
            }
            while (endB < b.size() && isDigit(b[endB])) {
                ++endB;
            }
            // Compare the digit runs without leading zeros: first by length, then by text.
            std::size_t startA = i;
            std::size_t startB = j;
            while (startA + 1 < endA && a[startA] == '0') {
                ++startA;
            }
            while (startB + 1 < endB && b[startB] == '0') {
                ++startB;
            }
            if (endA - startA != endB - startB) {
                return endA - startA < endB - startB;
            }
            const int order = a.compare(startA, endA - startA, b, startB, endB - startB);
            if (order != 0) {
                return order < 0;
            }
            i = endA;
            j = endB;
        } else {
            if (a[i] != b[j]) {
                return static_cast<unsigned char>(a[i]) < static_cast<unsigned char>(b[j]);
            }
            ++i;
            ++j;
        }
    }
    return a.size() - i < b.size() - j;
}

} // namespace

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
