// PumpWait: waits the given number of milliseconds while the window keeps working: Qt events,
// timers and the Modbus library's main-thread work (completions) are processed meanwhile. A
// non-positive time returns at once. Every wait of the download and firmware procedures uses
// it. PumpWaitUntil waits the same way but returns as soon as done() holds (looked at before
// the wait and after every batch of events it processes).
//
// Main (GUI) thread only; nests inside whatever handler calls it.
#pragma once

#include <functional>

namespace Sondrel {

void PumpWait(int milliseconds);
void PumpWaitUntil(const std::function<bool()>& done, int milliseconds);

} // namespace Sondrel
