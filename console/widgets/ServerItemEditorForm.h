// TServerItemEditorForm: the item editor dialog of the local server's item map, for one item
// of one kind; EditServerItem runs it on an item.
//
// Caption "New %s" or "Edit %s" with the kind ("Coil", "Discrete Input", "Holding Register",
// "Input Register"). Fixed size, no system buttons, hints on every field, centred on the screen.
// AddressEdit is read-only, painted in the button-face colour, when an existing item is edited.
// Bits show ValueCheckBox; registers show the Value, Min and Max edits with their labels;
// coils and holding registers show WriteableCheckBox.
//
// OK checks the fields in the order of CheckServerItemEditor (address, then for registers min,
// max, value; min = max accepts only that value). The first failure keeps the dialog open,
// gives its edit the focus and shows the error through the error seam; otherwise the dialog is
// accepted. Cancel (and Escape) close it without changes.
//
// Main (GUI) thread only. The form owns its controls; it does not touch the item it was given:
// EditServerItem writes the result back.
#pragma once

#include "MessageSeams.h"
#include "ServerItemValidation.h"

#include <QDialog>

#include <memory>

class QLineEdit;

namespace Ui {
class TServerItemEditorForm;
}

namespace Sondrel {

class TServerItemEditorForm : public QDialog {
    Q_OBJECT
public:
    TServerItemEditorForm(const TServerItem& item, bool isNew, TShowError showError,
                          QWidget* parent = nullptr);
    ~TServerItemEditorForm() override;

    Ui::TServerItemEditorForm& Form() { return *FUi; }

    // The fields as the operator left them.
    TItemEditorInput Input() const;
    // The item with the fields written back (meaningful once the fields passed the check).
    TServerItem EditedItem() const;

    // The OK button: checks the fields and accepts the dialog when they are valid.
    void OKButtonClick();

protected:
    void showEvent(QShowEvent* event) override;

private:
    QLineEdit* EditOf(TItemEditorField field) const;

    std::unique_ptr<Ui::TServerItemEditorForm> FUi;
    TServerItem FItem;
    TShowError FShowError;
};

struct TServerItemEditorSeams {
    TShowError ShowError;   // the OK check's errors
    TExecDialog ExecDialog; // runs the dialog modally
};

// Runs the item editor on the item; on OK writes the fields back into it and returns true.
// The dialog is destroyed in every case.
bool EditServerItem(TServerItem& item, bool isNew, const TServerItemEditorSeams& seams,
                    QWidget* parent = nullptr);

} // namespace Sondrel
