// What the firmware update needs from the window that runs it: the two connections, the
// message boxes, the hex file box, a wait that keeps the window alive, and the script runner.
// The main window implements it; tests implement it with scripted answers.
// Called on the main thread only, from within TFirmwareUpdater.
#pragma once

#include <cstdint>
#include <string>

namespace Sondrel {

enum TScriptRunOutcome : std::uint8_t {
    roCompleted, // the script ran to its end, whatever the programming tool reported
    roCancelled  // the program is terminating; the script was stopped
};

class TFirmwareUpdateHost {
public:
    virtual ~TFirmwareUpdateHost() = default;

    // True when the main connection is open on the named port.
    virtual bool IsMainConnectionOpenOn(const std::string& port) = 0;
    // The main window's disconnect command.
    virtual void DisconnectMainConnection() = 0;
    // Opens the second connection on the port and closes it again; true when it could be opened.
    // May throw when opening fails in an unexpected way.
    virtual bool TryOpenPort(const std::string& port) = 0;

    // A question box with Yes and No; true for Yes.
    virtual bool AskYesNo(const std::string& text) = 0;
    virtual void ShowError(const std::string& text) = 0;
    virtual void ShowInfo(const std::string& text) = 0;
    // Sets the hex file box's text (the checked path, or empty after a refused one).
    virtual void SetHexFileText(const std::string& text) = 0;

    // Waits ms milliseconds while the window keeps processing its events.
    virtual void PumpWait(int ms) = 0;
    // Runs the script and waits for it to end while the window keeps processing its events.
    // Throws when the script cannot be started.
    virtual TScriptRunOutcome RunAndWait(const std::string& scriptPath) = 0;
};

} // namespace Sondrel
