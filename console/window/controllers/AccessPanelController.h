// TAccessPanelController: the manual Modbus access of the main window. It gives the
// "Discrete Access", "Modbus Access" and "Server Diagnostics" pages their operations (one
// request per button on ModbusClient1, or a broadcast on ModbusConnection1, with its INIT
// line), keeps the coil and register write lists on their widgets, and runs the two address
// prompts of the Edit menu.
//
// Each operation checks its edits in order first: the first bad edit gets the focus, its error
// is shown as one message box and nothing is queued. An error that the client raises (its own
// limits, no open connection) is shown the same way and no INIT line is written. Every register
// operation of the "Modbus Access" tab sets the completion reporter's ConsoleRegisterAccess
// before anything else. The completions are reported by the window's TConsoleCompletionReporter.
//
// Enter and double-click in the register list edit a value in place (TRegisterListBinding).
//
// The values of the tab's register reads (holding, input, and the read half of a
// read/write-multiple) go to the tab's results table (TRegisterResultsModel), newest read on
// top: the controller remembers the transaction IDs of the reads it queued and takes their
// completions from the reporter's OnRegistersRead, so the download's reads never appear there.
// ClearRegisterResults empties it (the window runs it when the transaction log is cleared).
//
// It is given its parts (TAccessPanelParts): the three pages, the two menu entries, the
// components, the log, the reporter, the dialog service and the two window commands it runs
// after an address changed; it never sees the window.
//
// Main (GUI) thread only. Owned by the window; every part is borrowed and must outlive it.
#pragma once

#include "CoilListBinding.h"
#include "RegisterListBinding.h"

#include "ModbusClient.h"
#include "ModbusConnection.h"
#include "ModbusServer.h"

#include <QObject>

#include "RegisterReadResults.h"

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <optional>
#include <set>
#include <string_view>
#include <vector>

class QAction;
class QLineEdit;

namespace Ui {
class TDiscreteAccessPage;
class TModbusAccessPage;
class TServerDiagnosticsPage;
} // namespace Ui

namespace Sondrel {

class IDialogService;
class TConsoleCompletionReporter;
class TDiscreteAccessPage;
class TModbusAccessPage;
class TRegisterResultsModel;
class TServerDiagnosticsPage;
class TTransactionLog;

struct TAccessPanelParts {
    TDiscreteAccessPage& DiscretePage;       // "Discrete Access"
    TModbusAccessPage& RegisterPage;         // "Modbus Access"
    TServerDiagnosticsPage& DiagnosticsPage; // "Server Diagnostics"
    QAction& ClientOptionsItem;              // "Modbus Slave Address..." (ToolsClientOptionsItem)
    QAction& ServerOptionsItem;              // "Modbus Server Options..." (ToolsServerOptionsItem)
    Corvane::TModbusConnection& Connection;  // ModbusConnection1: its state and the broadcasts
    Corvane::TModbusClient& Client;          // ModbusClient1
    Corvane::TModbusServer& Server;          // ModbusServer1: its address
    TTransactionLog& Log;                    // the INIT lines and the broadcast notice
    TConsoleCompletionReporter& Reporter;    // its ConsoleRegisterAccess and read values
    IDialogService& Dialogs;
    // The window's commands after an address prompt changed an address.
    std::function<void()> WriteSettingsFile;
    std::function<void()> UpdateConnectionState;
};

class TAccessPanelController : public QObject {
    Q_OBJECT
public:
    TAccessPanelController(TAccessPanelParts parts, QObject* parent);
    ~TAccessPanelController() override;

    // Connects the buttons, edits and lists and builds both write lists once.
    void Bind();

    // --- Discrete Access ---------------------------------------------------------------------
    void ReadCoilsButtonClick();
    void ReadDiscreteInputsButtonClick();
    void WriteSingleCoilButtonClick();
    void WriteMultipleCoilsButtonClick();
    void WriteStartBitEditExit();
    void WriteBitCountEditExit();

    // --- Modbus Access -----------------------------------------------------------------------
    void ReadHoldingRegistersButtonClick();
    void ReadInputRegistersButtonClick();
    void WriteSingleRegisterButtonClick();
    void WriteMultipleRegistersButtonClick();
    void MaskWriteSingleRegisterButtonClick();
    void ReadWriteMultipleRegistersButtonClick();
    void WriteStartRegEditExit();
    void WriteRegCountEditExit();

    // --- Server Diagnostics ------------------------------------------------------------------
    void DiagnosticsButtonClick();
    void ReadExceptionStatusButtonClick();
    void ReportServerIDButtonClick();

    // --- Address prompts of the Edit menu ------------------------------------------------------
    void ToolsClientOptionsItemClick();
    void ToolsServerOptionsItemClick();

    TCoilListBinding& CoilList() { return *FCoilList; }
    TRegisterListBinding& RegisterList() { return *FRegisterList; }

    // The results table of the "Modbus Access" tab.
    TRegisterResultsModel& RegisterResults() { return *FResults; }
    void ClearRegisterResults();

protected:
    // The write lists' start and count edits losing focus rebuild their list.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct TCheckedEdit {
        QLineEdit* Edit;
        std::int64_t Min;
        std::int64_t Max;
    };
    // The edits' values in order, or none after the first bad edit was focused and reported.
    std::optional<std::vector<std::int64_t>> CheckEdits(std::initializer_list<TCheckedEdit> edits);
    // Runs one operation; an error of the client is shown as one message box.
    template <typename F>
    void Run(F&& operation);
    using TRegisterRead = std::int32_t (Corvane::TModbusClient::*)(std::uint16_t, std::uint16_t,
                                                                   std::int32_t);
    void ReadRegisters(TRegisterRead read, std::string_view name);
    // A completion of a register read: shown when it is one of the tab's and succeeded.
    void RegistersRead(TRegisterReadKind kind, const Corvane::TTransactionInfo& info,
                       std::uint16_t startReg, const Corvane::TRegValues& values);
    template <typename Broadcast, typename Request>
    void IssueWrite(std::string_view name, bool broadcast, Broadcast&& sendBroadcast,
                    Request&& sendRequest);
    void ShowError(const QString& text);
    void StartRegisterOperation();
    bool ConnectionOpen() const;
    Ui::TDiscreteAccessPage& Discrete();
    Ui::TModbusAccessPage& Registers();
    Ui::TServerDiagnosticsPage& Diagnostics();

    TAccessPanelParts FParts;
    TCoilListBinding* FCoilList = nullptr;
    TRegisterListBinding* FRegisterList = nullptr;
    TRegisterResultsModel* FResults = nullptr;
    // The reads the tab queued whose completion has not come yet.
    std::set<std::int32_t> FPendingReads;
};

} // namespace Sondrel
