// TModbusConnectionEditForm: the library's dialog that edits the serial and transaction
// properties of a TModbusConnection on two pages ("Serial Communication" and "Modbus
// Transaction Management"), checks the numeric fields and writes the values back, closing and
// reopening an active connection when a change needs it.
//
// EditModbusConnection is the way to use it: it creates the dialog, loads it from the
// connection, shows it modally, applies the values on OK and releases the dialog in every case.
// Errors of applying (a setter refusing a value, the reopening failing) propagate to the caller
// after the dialog is released; the connection is reopened first when the dialog closed it.
//
// Field errors keep the dialog open (OK) or the page in place (page switch): the message goes
// to the error display the caller gives (a message box when none is given), the focus to the
// faulty edit.
//
// Main (GUI) thread only. Borrows the connection for the length of one call.
#pragma once

#include "ModbusConnection.h"

#include <QDialog>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

class QLineEdit;

namespace Ui {
class TModbusConnectionEditForm;
}

namespace Corvane {

// The 16 entries of the baud-rate list; an entry's index is the TBaudRate value.
const QStringList& BaudRateTexts();

// Parses the edit's text as a signed 64-bit decimal integer. Not an integer: the edit gets the
// focus (when it can take it) and ECorvaneError "'%s' is not a valid integer value" is raised
// (characters that cannot be shown, such as a pasted NUL, appear as '?').
// When min differs from max and the value lies outside them: the focus, then "Value must be
// between %d and %d". Returns the value.
qint64 CheckIntegerEdit(QLineEdit* edit, qint64 min, qint64 max);

class TModbusConnectionEditForm : public QDialog {
    Q_OBJECT
public:
    explicit TModbusConnectionEditForm(QWidget* parent = nullptr);
    ~TModbusConnectionEditForm() override;

    Ui::TModbusConnectionEditForm& Form() { return *FUi; }

    // Shows a field error; a message box when not set.
    std::function<void(const QString&)> ShowError;

    void LoadFrom(const TModbusConnection& connection);
    void ValidateSerialPage();
    void ValidateTransactionPage();
    // True when the connection is active and the port, flow control, DTR, RTS, transmission
    // mode or connection mode chosen differ from it.
    bool NeedsReopen(const TModbusConnection& connection) const;
    // Closes the connection when it needs reopening, sets every property in order and opens it
    // again; a setter's error propagates after the reopening. A custom rate of 0 for a
    // connection that stays open is refused (ECorvaneError) before anything is set.
    void ApplyTo(TModbusConnection& connection) const;

    // The handlers of the two defaults buttons.
    void RTUDefaultsButtonClick();
    void ASCIIDefaultsButtonClick();

    // OK: validates the serial page, then the transaction page; closes with OK when both pass.
    void accept() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void UpdateDependentControls();
    void PageControlChange(int index);
    bool IsServerMode() const;
    void ReportError(const QString& text);
    // CheckIntegerEdit that remembers the edit while it fails.
    void Check(QLineEdit* edit, qint64 min, qint64 max);

    QLineEdit* FFailedEdit = nullptr;
    std::unique_ptr<Ui::TModbusConnectionEditForm> FUi;
    int FShownPage = 0;
    bool FRestoringPage = false;
};

// How EditModbusConnection shows the dialog and field errors: a modal loop and message boxes
// unless replaced (tests answer the dialog in place).
struct TConnectionEditHooks {
    QWidget* Parent = nullptr;
    // Runs the dialog and returns its result (QDialog::Accepted or Rejected).
    std::function<int(TModbusConnectionEditForm&)> Exec;
    std::function<void(const QString&)> ShowError;
};

// Shows the dialog for the connection with the given caption; true when the user closed it
// with OK and the values were applied, false on Cancel.
bool EditModbusConnection(TModbusConnection& connection, const QString& caption,
                          const TConnectionEditHooks& hooks = {});

} // namespace Corvane
