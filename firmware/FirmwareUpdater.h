// TFirmwareUpdater: the firmware page's Browse check and START procedure without the window.
//
// START checks the hex file name, offers to disconnect the main connection when it holds the
// firmware port, test-opens the port, writes the programming script (ProgramScript.h) into the
// program's folder, waits 150 ms, runs it, deletes it and shows the "Finished..." box. Every
// failure ends with one error box and leaves no script behind.
//
// Main thread only. The host is borrowed and must outlive the updater.
#pragma once

#include "FirmwarePlatform.h"
#include "FirmwareUpdateHost.h"
#include "ProgramScript.h"

#include <string>

namespace Sondrel {

class TFirmwareUpdater {
public:
    // programFolder: where the script is written and run; kind: which script (the platform's own
    // unless a test asks for the other).
    TFirmwareUpdater(TFirmwareUpdateHost& host, std::string programFolder,
                     TScriptKind kind = NativeScriptKind);

    // Refuses a path with a forbidden text (clears the hex file box and shows the invalid-
    // characters box); otherwise puts the path into the hex file box. True when accepted.
    bool CheckHexFileName(const std::string& path);

    // The START button. portText and hexText are the port picker's and the hex file box's text.
    void Start(const std::string& portText, const std::string& hexText, TFirmwareBaud baud);

    // Where the script is written.
    std::string ScriptPath() const;

private:
    // Writes, runs and deletes the script; false after an error (its box already shown).
    bool WriteAndRunScript(const TProgramJob& job);
    void WriteScript(const std::string& text) const;
    void RemoveScript() const;

    TFirmwareUpdateHost& FHost;
    std::string FProgramFolder;
    TScriptKind FKind;
};

} // namespace Sondrel
