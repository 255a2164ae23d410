#include "AccessPanelController.h"

#include "DialogService.h"
#include "DiscreteAccessPage.h"
#include "ModbusAccessPage.h"
#include "RegisterResultsModel.h"
#include "ServerDiagnosticsPage.h"
#include "ui_DiscreteAccessPage.h"
#include "ui_ModbusAccessPage.h"
#include "ui_ServerDiagnosticsPage.h"

#include "ConsoleCompletionReporter.h"
#include "ConsoleReports.h"
#include "EditRangeCheck.h"
#include "ServerAddressPrompt.h"
#include "TransactionLog.h"

#include <QAction>
#include <QEvent>
#include <QLineEdit>
#include <QPushButton>

#include <stdexcept>

namespace Sondrel {

using namespace Corvane;

namespace {

QString ToQString(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

std::uint16_t Word(std::int64_t checked) {
    // Only called with values that passed a 0..65535 check.
    return static_cast<std::uint16_t>(checked);
}

} // namespace

TAccessPanelController::TAccessPanelController(TAccessPanelParts parts, QObject* parent)
    : QObject(parent), FParts(std::move(parts)), FResults(new TRegisterResultsModel(this)) {}

TAccessPanelController::~TAccessPanelController() {
    FParts.Reporter.OnRegistersRead = nullptr;
    // The view lets go of the model before the model goes.
    Registers().RegisterResultsView->setModel(nullptr);
}

Ui::TDiscreteAccessPage& TAccessPanelController::Discrete() {
    return FParts.DiscretePage.Form();
}

Ui::TModbusAccessPage& TAccessPanelController::Registers() {
    return FParts.RegisterPage.Form();
}

Ui::TServerDiagnosticsPage& TAccessPanelController::Diagnostics() {
    return FParts.DiagnosticsPage.Form();
}

bool TAccessPanelController::ConnectionOpen() const {
    return FParts.Connection.Active();
}

void TAccessPanelController::ShowError(const QString& text) {
    FParts.Dialogs.ShowError(text);
}

void TAccessPanelController::Bind() {
    auto& discrete = Discrete();
    auto& registers = Registers();
    auto& diagnostics = Diagnostics();
    const TShowError showError = [this](const QString& text) { ShowError(text); };

    FCoilList = new TCoilListBinding(*discrete.DiscreteListView, *discrete.WriteStartBitEdit,
                                     *discrete.WriteBitCountEdit, *discrete.WriteSingleCoilButton,
                                     showError, this);
    FRegisterList = new TRegisterListBinding(
        *registers.RegisterListView, *registers.WriteStartRegEdit, *registers.WriteRegCountEdit,
        *registers.WriteSingleRegisterButton, showError, this);

    const auto button = [this](QPushButton* control, void (TAccessPanelController::*handler)()) {
        connect(control, &QPushButton::clicked, this, [this, handler] { (this->*handler)(); });
    };
    using C = TAccessPanelController;
    button(discrete.ReadCoilsButton, &C::ReadCoilsButtonClick);
    button(discrete.ReadDiscreteInputsButton, &C::ReadDiscreteInputsButtonClick);
    button(discrete.WriteSingleCoilButton, &C::WriteSingleCoilButtonClick);
    button(discrete.WriteMultipleCoilsButton, &C::WriteMultipleCoilsButtonClick);
    button(registers.ReadHoldingRegistersButton, &C::ReadHoldingRegistersButtonClick);
    button(registers.ReadInputRegistersButton, &C::ReadInputRegistersButtonClick);
    button(registers.WriteSingleRegisterButton, &C::WriteSingleRegisterButtonClick);
    button(registers.WriteMultipleRegistersButton, &C::WriteMultipleRegistersButtonClick);
    button(registers.MaskWriteSingleRegisterButton, &C::MaskWriteSingleRegisterButtonClick);
    button(registers.ReadWriteMultipleRegistersButton, &C::ReadWriteMultipleRegistersButtonClick);
    button(diagnostics.DiagnosticsButton, &C::DiagnosticsButtonClick);
    button(diagnostics.ReadExceptionStatusButton, &C::ReadExceptionStatusButtonClick);
    button(diagnostics.ReportServerIDButton, &C::ReportServerIDButtonClick);

    for (QLineEdit* edit : {discrete.WriteStartBitEdit, discrete.WriteBitCountEdit,
                            registers.WriteStartRegEdit, registers.WriteRegCountEdit}) {
        edit->installEventFilter(this);
    }

    SetUpRegisterResultsView(*registers.RegisterResultsView, *FResults);
    BindRegisterFormatChoice(*registers.RegisterFormatComboBox, *registers.WordOrderComboBox,
                             *FResults);
    FParts.Reporter.OnRegistersRead = [this](TRegisterReadKind kind, const TTransactionInfo& info,
                                             std::uint16_t start, const TRegValues& values) {
        RegistersRead(kind, info, start, values);
    };

    connect(&FParts.ClientOptionsItem, &QAction::triggered, this,
            [this] { ToolsClientOptionsItemClick(); });
    connect(&FParts.ServerOptionsItem, &QAction::triggered, this,
            [this] { ToolsServerOptionsItemClick(); });

    FCoilList->RebuildCoilList();
    FRegisterList->RebuildRegisterList(ConnectionOpen());
}

bool TAccessPanelController::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusOut) {
        auto& discrete = Discrete();
        auto& registers = Registers();
        if (watched == discrete.WriteStartBitEdit) {
            WriteStartBitEditExit();
        } else if (watched == discrete.WriteBitCountEdit) {
            WriteBitCountEditExit();
        } else if (watched == registers.WriteStartRegEdit) {
            WriteStartRegEditExit();
        } else if (watched == registers.WriteRegCountEdit) {
            WriteRegCountEditExit();
        }
    }
    return QObject::eventFilter(watched, event);
}

std::optional<std::vector<std::int64_t>>
TAccessPanelController::CheckEdits(std::initializer_list<TCheckedEdit> edits) {
    std::vector<std::int64_t> values;
    for (const TCheckedEdit& checked : edits) {
        const std::string text = checked.Edit->text().toStdString();
        const TRangeCheck result = CheckEditRange(text, checked.Min, checked.Max);
        if (!result.Ok) {
            if (checked.Edit->isEnabled()) {
                checked.Edit->setFocus();
            }
            ShowError(QString::fromStdString(result.Error));
            return std::nullopt;
        }
        values.push_back(result.Value);
    }
    return values;
}

template <typename F>
void TAccessPanelController::Run(F&& operation) {
    try {
        operation();
    } catch (const std::exception& e) {
        ShowError(QString::fromStdString(e.what()));
    }
}

void TAccessPanelController::StartRegisterOperation() {
    FParts.Reporter.ConsoleRegisterAccess = true;
}

// --- Discrete Access ---------------------------------------------------------------------------

void TAccessPanelController::ReadCoilsButtonClick() {
    auto& ui = Discrete();
    const auto values =
        CheckEdits({{ui.ReadStartBitEdit, 0, 65535}, {ui.ReadBitCountEdit, 1, 2008}});
    if (!values) {
        return;
    }
    Run([&] {
        const std::int32_t id = FParts.Client.ReadCoils(Word((*values)[0]), Word((*values)[1]), 0);
        LogTransactionInit(FParts.Log, id, kReadCoilsName);
    });
}

void TAccessPanelController::ReadDiscreteInputsButtonClick() {
    auto& ui = Discrete();
    const auto values =
        CheckEdits({{ui.ReadStartBitEdit, 0, 65535}, {ui.ReadBitCountEdit, 1, 2008}});
    if (!values) {
        return;
    }
    Run([&] {
        const std::int32_t id =
            FParts.Client.ReadDiscreteInputs(Word((*values)[0]), Word((*values)[1]), 0);
        LogTransactionInit(FParts.Log, id, kReadDiscreteInputsName);
    });
}

namespace {

// The first row's address, which the write requests start at. A label beyond 65535 (start near
// the top with a count that runs past it) cannot be sent; the operator is told so.
template <typename TList>
std::uint16_t FirstAddress(const TList& list) {
    const auto start = list.StartAddress();
    if (!start) {
        throw std::out_of_range("The first address of the list is not a valid address.");
    }
    return *start;
}

} // namespace

// A write goes to the client, or to every server as a broadcast (no reply, so the notice
// follows the INIT line at once).
template <typename Broadcast, typename Request>
void TAccessPanelController::IssueWrite(std::string_view name, bool broadcast,
                                        Broadcast&& sendBroadcast, Request&& sendRequest) {
    const std::int32_t id = broadcast ? sendBroadcast() : sendRequest();
    LogTransactionInit(FParts.Log, id, name);
    if (broadcast) {
        LogBroadcastNotice(FParts.Log);
    }
}

void TAccessPanelController::WriteSingleCoilButtonClick() {
    Run([&] {
        const TCoilWriteList& list = FCoilList->List();
        if (list.Count() == 0) {
            return;
        }
        const std::uint16_t address = FirstAddress(list);
        const bool value = list.Row(0).Checked;
        IssueWrite(
            kWriteSingleCoilName, Discrete().DiscreteBroadcastCheckBox->isChecked(),
            [&] { return FParts.Connection.BroadcastSingleCoilWrite(address, value, 0); },
            [&] { return FParts.Client.WriteSingleCoil(address, value, 0); });
    });
}

void TAccessPanelController::WriteMultipleCoilsButtonClick() {
    Run([&] {
        const TCoilWriteList& list = FCoilList->List();
        const std::uint16_t start = FirstAddress(list);
        const TBitValues values = list.CheckStates();
        IssueWrite(
            kWriteMultipleCoilsName, Discrete().DiscreteBroadcastCheckBox->isChecked(),
            [&] { return FParts.Connection.BroadcastMultipleCoilsWrite(start, values, 0); },
            [&] { return FParts.Client.WriteMultipleCoils(start, values, 0); });
    });
}

void TAccessPanelController::WriteStartBitEditExit() {
    FCoilList->RebuildCoilList();
}

void TAccessPanelController::WriteBitCountEditExit() {
    FCoilList->RebuildCoilList();
}

// --- Modbus Access -----------------------------------------------------------------------------

void TAccessPanelController::ReadHoldingRegistersButtonClick() {
    ReadRegisters(&Corvane::TModbusClient::ReadHoldingRegisters, kReadHoldingRegistersName);
}

void TAccessPanelController::ReadInputRegistersButtonClick() {
    ReadRegisters(&Corvane::TModbusClient::ReadInputRegisters, kReadInputRegistersName);
}

// The two register reads share their edits and checks; only the request differs.
void TAccessPanelController::ReadRegisters(TRegisterRead read, std::string_view name) {
    StartRegisterOperation();
    auto& ui = Registers();
    const auto values =
        CheckEdits({{ui.ReadStartRegEdit, 0, 65535}, {ui.ReadRegCountEdit, 1, 127}});
    if (!values) {
        return;
    }
    // The client is named outside the closure: with GCC 12, the sanitizer's check of a
    // member-function-pointer call on a member reached through the closure's captured this
    // looks at the closure itself, a false "invalid vptr" that aborts the sanitizer builds.
    Corvane::TModbusClient& client = FParts.Client;
    Run([&] {
        const std::int32_t id = (client.*read)(Word((*values)[0]), Word((*values)[1]), 0);
        FPendingReads.insert(id);
        LogTransactionInit(FParts.Log, id, name);
    });
}

void TAccessPanelController::RegistersRead(TRegisterReadKind kind, const TTransactionInfo& info,
                                           std::uint16_t startReg, const TRegValues& values) {
    if (FPendingReads.erase(info.ID) == 0 || info.Status != rsNormalResponse) {
        return;
    }
    FResults->AddRead(kind, startReg, values, LocalLogTime());
}

void TAccessPanelController::ClearRegisterResults() {
    FResults->Clear();
}

void TAccessPanelController::WriteSingleRegisterButtonClick() {
    StartRegisterOperation();
    Run([&] {
        const TRegisterWriteList& list = FRegisterList->List();
        if (list.Count() == 0) {
            return;
        }
        const std::uint16_t address = FirstAddress(list);
        const std::uint16_t value = list.Values().front();
        IssueWrite(
            kWriteSingleRegisterName, Registers().RegisterBroadcastCheckBox->isChecked(),
            [&] { return FParts.Connection.BroadcastSingleRegisterWrite(address, value, 0); },
            [&] { return FParts.Client.WriteSingleRegister(address, value, 0); });
    });
}

void TAccessPanelController::WriteMultipleRegistersButtonClick() {
    StartRegisterOperation();
    Run([&] {
        const TRegisterWriteList& list = FRegisterList->List();
        const std::uint16_t start = FirstAddress(list);
        const TRegValues values = list.Values();
        IssueWrite(
            kWriteMultipleRegistersName, Registers().RegisterBroadcastCheckBox->isChecked(),
            [&] { return FParts.Connection.BroadcastMultipleRegistersWrite(start, values, 0); },
            [&] { return FParts.Client.WriteMultipleRegisters(start, values, 0); });
    });
}

void TAccessPanelController::MaskWriteSingleRegisterButtonClick() {
    StartRegisterOperation();
    auto& ui = Registers();
    const auto values = CheckEdits({{ui.MaskWriteRegAddrEdit, 0, 65535},
                                    {ui.AndMaskEdit, 0, 65535},
                                    {ui.OrMaskEdit, 0, 65535}});
    if (!values) {
        return;
    }
    Run([&] {
        const std::int32_t id = FParts.Client.MaskWriteSingleRegister(
            Word((*values)[0]), Word((*values)[1]), Word((*values)[2]), 0);
        LogTransactionInit(FParts.Log, id, kMaskWriteRegisterName);
    });
}

void TAccessPanelController::ReadWriteMultipleRegistersButtonClick() {
    StartRegisterOperation();
    auto& ui = Registers();
    const auto values =
        CheckEdits({{ui.ReadStartRegEdit, 0, 65535}, {ui.ReadRegCountEdit, 1, 127}});
    if (!values) {
        return;
    }
    Run([&] {
        const TRegisterWriteList& list = FRegisterList->List();
        const std::int32_t id = FParts.Client.ReadWriteMultipleRegisters(
            Word((*values)[0]), Word((*values)[1]), FirstAddress(list), list.Values(), 0);
        FPendingReads.insert(id);
        LogTransactionInit(FParts.Log, id, kReadWriteMultipleRegistersName);
    });
}

void TAccessPanelController::WriteStartRegEditExit() {
    FRegisterList->RebuildRegisterList(ConnectionOpen());
}

void TAccessPanelController::WriteRegCountEditExit() {
    FRegisterList->RebuildRegisterList(ConnectionOpen());
}

// --- Server Diagnostics ------------------------------------------------------------------------

void TAccessPanelController::DiagnosticsButtonClick() {
    Run([&] {
        const int index = Diagnostics().DiagnosticActionRadioGroup->ItemIndex();
        if (index < daReturnQueryData || index > daClearOverrunCounterAndFlag) {
            throw std::out_of_range("No diagnostic action is selected.");
        }
        const std::int32_t id = FParts.Client.Diagnostics(static_cast<TDiagnosticAction>(index), 0);
        LogTransactionInit(FParts.Log, id, kDiagnosticsName);
    });
}

void TAccessPanelController::ReadExceptionStatusButtonClick() {
    Run([&] {
        const std::int32_t id = FParts.Client.ReadExceptionStatus(0);
        LogTransactionInit(FParts.Log, id, kReadExceptionStatusName);
    });
}

void TAccessPanelController::ReportServerIDButtonClick() {
    Run([&] {
        const std::int32_t id = FParts.Client.ReportServerID(0);
        LogTransactionInit(FParts.Log, id, kReportServerIDName);
    });
}

// --- Address prompts ---------------------------------------------------------------------------

namespace {

// Asks for an address; none when the operator cancelled or the answer was not an integer
// (that error is shown).
std::optional<std::uint8_t> AskAddress(IDialogService& dialogs, const TAddressPrompt& prompt,
                                       std::uint8_t current) {
    const std::optional<QString> answer = dialogs.InputQuery(
        ToQString(prompt.Title), ToQString(prompt.Text), QString::number(current));
    if (!answer) {
        return std::nullopt;
    }
    const TAddressAnswer parsed = ParseServerAddressAnswer(answer->toStdString());
    if (!parsed.Ok) {
        dialogs.ShowError(QString::fromStdString(parsed.Error));
        return std::nullopt;
    }
    return parsed.Address;
}

} // namespace

void TAccessPanelController::ToolsClientOptionsItemClick() {
    Run([&] {
        const auto address =
            AskAddress(FParts.Dialogs, kClientAddressPrompt, FParts.Client.ServerAddress());
        if (!address) {
            return;
        }
        FParts.Client.SetServerAddress(*address);
        FParts.WriteSettingsFile();
        FParts.UpdateConnectionState();
    });
}

void TAccessPanelController::ToolsServerOptionsItemClick() {
    Run([&] {
        const auto address =
            AskAddress(FParts.Dialogs, kServerAddressPrompt, FParts.Server.Address());
        if (!address) {
            return;
        }
        FParts.Server.SetAddress(*address);
        FParts.WriteSettingsFile();
        FParts.UpdateConnectionState();
    });
}

} // namespace Sondrel
