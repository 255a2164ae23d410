// TFirmwareUpdateBinding: the firmware page's Browse and START commands, and the firmware
// update's host (TFirmwareUpdateHost) on the window's own parts.
//
// START runs TFirmwareUpdater: the main connection is offered a disconnect when it holds the
// firmware port, ModbusConnection2 test-opens the port, and the programming script is run by
// a TScriptRunner. While the script runs the window keeps working (the runner waits in a
// nested event loop); the tool's output goes line by line into the transaction log as it
// comes, and its end is reported there: a red line when the tool failed, a green one when it
// succeeded. The "Finished..." box follows in both cases. During a START the page's port,
// file, Browse and START controls are disabled and a second START is ignored, so the running
// script is never rewritten under the tool's feet. Cancel() stops a running script together
// with the programs it started (the window calls it when it closes).
//
// Main (GUI) thread only. Borrows every part it is given; they must outlive it. The binding
// must not be destroyed while START waits (the window cancels the run before it closes).
#pragma once

#include "FirmwareUpdateHost.h"
#include "FirmwareUpdater.h"
#include "ScriptRunner.h"

#include "ModbusConnection.h"

#include <QString>

#include <functional>
#include <string>

namespace Sondrel {

class IDialogService;
class TFirmwarePage;
class TTransactionLog;

struct TFirmwareUpdateParts {
    Corvane::TModbusConnection& MainConnection; // ModbusConnection1
    Corvane::TModbusConnection& TestConnection; // ModbusConnection2
    TFirmwarePage& Page;
    TTransactionLog& Log;
    IDialogService& Dialogs;
    // The main window's disconnect command.
    std::function<void()> Disconnect;
    // Where the script is written and run, and where the Browse rule looks.
    std::string ProgramFolder;
};

class TFirmwareUpdateBinding : private TFirmwareUpdateHost {
public:
    // The open dialog's filter, written the Windows way (see QtFileFilter).
    static constexpr const char* HexFileFilter = "Hex Files (*.hex)|*.hex|All Files (*.*)|*.*";

    explicit TFirmwareUpdateBinding(TFirmwareUpdateParts parts);
    ~TFirmwareUpdateBinding() override;
    TFirmwareUpdateBinding(const TFirmwareUpdateBinding&) = delete;
    TFirmwareUpdateBinding& operator=(const TFirmwareUpdateBinding&) = delete;

    // "Browse...": the open dialog in the Browse folder, then CheckHexFileName on the choice.
    void Browse();
    // Refuses a path with a forbidden text (clears the hex box, shows the invalid-characters
    // box), else puts it into the hex box. True when accepted.
    bool CheckHexFileName(const QString& path);
    // "START" with the page's port and hex file and the given baud rate.
    void Start(TFirmwareBaud baud);

    // True while a START is in progress (also while its script runs).
    bool Busy() const { return FBusy; }
    // Stops a running script; nothing when none runs.
    void Cancel();
    std::string ScriptPath() const { return FUpdater.ScriptPath(); }

private:
    bool IsMainConnectionOpenOn(const std::string& port) override;
    void DisconnectMainConnection() override;
    bool TryOpenPort(const std::string& port) override;
    bool AskYesNo(const std::string& text) override;
    void ShowError(const std::string& text) override;
    void ShowInfo(const std::string& text) override;
    void SetHexFileText(const std::string& text) override;
    void PumpWait(int ms) override;
    TScriptRunOutcome RunAndWait(const std::string& scriptPath) override;

    // One line of the tool's output into the log; never throws (called from event dispatch).
    void LogToolLine(const std::string& line);
    void LogRunEnd(const TScriptRunResult& result);

    TFirmwareUpdateParts FParts;
    TScriptRunner FRunner;
    TFirmwareUpdater FUpdater;
    bool FBusy = false;
    // The first error of writing the tool's output to the log file, shown after the run.
    std::string FLogError;
};

} // namespace Sondrel
