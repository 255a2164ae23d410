// TdevicePortSettings: the "Device Port Settings" dialog, where the operator chooses the
// instrument's Modbus address, the serial port and the line settings. The choices are stored
// as strings in the application's settings (the registry key of the main window); the window
// applies them to its connection and client after OK (ApplyPortSettings).
//
// Created once at start, after the main window, and reused: ShowModal reloads every control
// from the settings (FormShow) and runs the dialog through the dialog service. A stored value
// that is not a number makes FormShow raise ESettingsError.
//
// While the window runs on settings of this run only (the demo's simulated instrument,
// SetRunOnlyChoice), the dialog shows those instead of the stored ones, says so, and OK stores
// nothing: the window applies the choice for the rest of the run.
//
// Main (GUI) thread only. Borrows the settings and the dialog service; both outlive it.
#pragma once

#include "PortSettings.h"

#include <QDialog>

#include <memory>
#include <optional>

namespace Ui {
class TdevicePortSettings;
}

namespace Sondrel {

class IDialogService;
class TDigitKeyFilter;
class TRegistrySettings;

class TdevicePortSettings : public QDialog {
    Q_OBJECT
public:
    TdevicePortSettings(TRegistrySettings& registry, IDialogService& dialogs,
                        QWidget* parent = nullptr);
    ~TdevicePortSettings() override;

    Ui::TdevicePortSettings& Form() { return *FUi; }

    // FormShow, then the dialog shown modally; QDialog::Accepted after OK.
    int ShowModal();

    // Loads every control from its stored value (creating missing values with their defaults).
    void FormShow();
    // The stored value of that name; a missing value is written with the default and used.
    QString getRegValue(const QString& name, const QString& defaultValue);

    // "Default": 9600 bps, 8 data bits, no flow control, no parity, one stop bit; the port and
    // the address stay; nothing is stored.
    void defaultButtonClick();
    // "OK": stores the choices (FlowControl1 always as "1") and closes with OK.
    void Button2Click();
    // "Cancel": closes; nothing is stored.
    void Button1Click();
    // A key that is neither a digit nor backspace was typed into the address: the key filter
    // discarded it, this shows "Invalid key.  Please try again.".
    void addressEditKeyPress();

    // The settings of this run only, shown instead of the stored ones; none: the stored ones.
    void SetRunOnlyChoice(const std::optional<TDevicePortChoice>& choice);

    // The choices, as ApplyPortSettings takes them.
    QString AddressText() const;
    QString PortText() const;
    TPortSettingIndexes Indexes() const;

private:
    TRegistrySettings& FRegistry;
    IDialogService& FDialogs;
    std::unique_ptr<Ui::TdevicePortSettings> FUi;
    TDigitKeyFilter* FAddressKeyFilter;
    std::optional<TDevicePortChoice> FRunOnlyChoice;
};

} // namespace Sondrel
