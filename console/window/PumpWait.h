// PumpWait: waits the given number of milliseconds while the window keeps working: Qt events,
// timers and the Modbus library's main-thread work (completions) are processed meanwhile. A
// non-positive time returns at once. Every wait of the download and firmware procedures uses
// it.
//
// Main (GUI) thread only; nests inside whatever handler calls it.
#pragma once

namespace Sondrel {

void PumpWait(int milliseconds);

} // namespace Sondrel
