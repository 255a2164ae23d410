#include "PortMonitor.h"

#include <algorithm>

namespace Sondrel {

namespace {

char Lower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool EqualNoCase(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                              [](char x, char y) { return Lower(x) == Lower(y); });
}

bool LessNoCase(const std::string& a, const std::string& b) {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return static_cast<unsigned char>(Lower(x)) < static_cast<unsigned char>(Lower(y));
    });
}

} // namespace

void TPortMonitor::FormShow(int portCount, std::string selectedText) {
    FLastPortCount = portCount;
    FLastPortName = std::move(selectedText);
}

TPortCheckResult TPortMonitor::Check(const std::vector<std::string>& ports,
                                     const std::string& selectedText) {
    TPortCheckResult result;
    const int count = static_cast<int>(ports.size());
    if (count > FLastPortCount) {
        result.Line =
            TPortLogLine{"Additional serial port found.  Use COM Port drop down to select.\r\n",
                         TPortLogLine::Green};
    }
    if (count < FLastPortCount && selectedText != FLastPortName) {
        result.Line = TPortLogLine{"Serial port [" + FLastPortName +
                                       "] no longer exists.  Please verify before continuing.\r\n",
                                   TPortLogLine::Red};
        result.StoreSerialPort = true;
        result.SerialPort = selectedText;
        result.CloseConnection = true;
    }
    FLastPortName = selectedText;
    FLastPortCount = count;
    return result;
}

std::string PickerText(const std::vector<std::string>& ports, const std::string& wanted) {
    for (const auto& port : ports) {
        if (EqualNoCase(port, wanted)) {
            return port;
        }
    }
    return ports.empty() ? std::string() : ports.front();
}

void SortPortNames(std::vector<std::string>& names) {
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        if (LessNoCase(a, b)) {
            return true;
        }
        if (LessNoCase(b, a)) {
            return false;
        }
        return a < b;
    });
}

} // namespace Sondrel
