#include "SerialPortListing.h"

#include "PortMonitor.h"

#include "SerialPortNames.h"

namespace Sondrel {

const char* const TSerialPortListing::SystemRoot = Corvane::kSystemPortListing;

TSerialPortListing::TSerialPortListing(std::string root) {
    SetRoot(std::move(root));
}

void TSerialPortListing::SetRoot(std::string root) {
    FRoot = root.empty() ? std::string(SystemRoot) : std::move(root);
}

void TSerialPortListing::ListSerialPorts(std::vector<std::string>& list) const {
    Corvane::GetSerialPortNames(list, FRoot);
    SortPortNames(list);
}

std::vector<std::string> TSerialPortListing::SerialPorts() const {
    std::vector<std::string> list;
    ListSerialPorts(list);
    return list;
}

} // namespace Sondrel
