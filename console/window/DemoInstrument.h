// UseDemoInstrument: points the window's device connection at a simulated instrument for this
// run: the given port at 115200 bit/s, 8 data bits, 1 stop bit, no parity, no flow control,
// address 1, and a "Date Retrieval Communication Delay": with dpFastDelay the fast delay, so
// that a block costs about 150 ms of fixed waiting; with dpLineSpeed "Line Speed" and the
// standard frame timing, so that every wait ends with its reply. Nothing is written to the
// stored settings: the port settings and the frame timing go to the connection only (the
// window shows them as its settings of this run, the port as "Simulated instrument (PORT)")
// and the delay item is checked without its store being triggered. The log's first line says
// where the instrument is and how to begin.
//
// Used by the demo mode of the program (with the simulator it starts) and by the tests.
// Main (GUI) thread only.
#pragma once

#include <QString>

namespace Sondrel {

class TCorvaneDemoMainForm;

// The baud rate list's index of 115200 bit/s in the device port settings.
inline constexpr int DemoBaudRateIndex = 7;

enum TDemoPacing : unsigned char { dpFastDelay, dpLineSpeed };

void UseDemoInstrument(TCorvaneDemoMainForm& window, const QString& port,
                       TDemoPacing pacing = dpFastDelay);

} // namespace Sondrel
