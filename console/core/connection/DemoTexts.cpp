#include "DemoTexts.h"

#include "CorvaneError.h"

namespace Sondrel {

std::string SimulatedInstrumentLabel(const std::string& port) {
    return Corvane::FormatText("Simulated instrument (%s)", {port});
}

std::string SimulatedInstrumentGreeting(const std::string& port) {
    return Corvane::FormatText(
        "A simulated instrument is running on %s. Press Connect, then Retrieve Data.", {port});
}

} // namespace Sondrel
