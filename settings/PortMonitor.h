// TPortMonitor: the port check that runs every five seconds, without the window.
//
// The window lists the serial ports (Corvane::GetSerialPortNames), works out what its port
// picker shows (PickerText of the stored "SerialPort"), and asks Check() what to do: which line
// to log, whether to store the picker's text as "SerialPort" and close the main connection.
// FormShow() takes the first count and name, so the first check after start says nothing when
// nothing changed.
//
// A port that appears gives one green line; a drop in the count that took the selected port
// away gives one red line with the old name, and the new selection is stored and the connection
// closed. A drop that leaves the selected port in place logs nothing.
//
// Qt-free; main thread only (it holds the state of the previous check).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace Sondrel {

// A line for the transaction log's styled writer: not bold, 7 points, in the given colour
// code of the log (1 red, 3 green).
struct TPortLogLine {
    static constexpr int Red = 1;
    static constexpr int Green = 3;
    static constexpr int Size = 7;

    std::string Text;
    int Colour = 0;
    bool operator==(const TPortLogLine&) const = default;
};

struct TPortCheckResult {
    std::optional<TPortLogLine> Line;
    bool StoreSerialPort = false; // store SerialPort as the value of "SerialPort"
    std::string SerialPort;
    bool CloseConnection = false; // close the main connection and refresh its display
};

class TPortMonitor {
public:
    static constexpr int CheckIntervalMs = 5000;

    // When the window is shown: the picker's item count and text. (The window also sets the
    // quick-connect picker from "SerialPort" and closes the main connection if open.)
    void FormShow(int portCount, std::string selectedText);

    // One check: the ports present now and the picker's text after it was set from
    // "SerialPort" (PickerText).
    TPortCheckResult Check(const std::vector<std::string>& ports, const std::string& selectedText);

    int LastPortCount() const { return FLastPortCount; }
    const std::string& LastPortName() const { return FLastPortName; }

private:
    int FLastPortCount = 0;
    std::string FLastPortName;
};

// What a drop-down port picker shows when told to show wanted: the item that matches it
// without regard to case, else the first item, else nothing.
std::string PickerText(const std::vector<std::string>& ports, const std::string& wanted);

// Sorts port names alphabetically without regard to case (ties in byte order), as the
// system's port list is presented.
void SortPortNames(std::vector<std::string>& names);

} // namespace Sondrel
