#include "ServerItemEditorForm.h"

#include "ui_ServerItemEditorForm.h"

#include <QScreen>

namespace Sondrel {

TServerItemEditorForm::TServerItemEditorForm(const TServerItem& item, bool isNew,
                                             TShowError showError, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      FUi(std::make_unique<Ui::TServerItemEditorForm>()), FItem(item),
      FShowError(std::move(showError)) {
    FUi->setupUi(this);
    const QString kind = QString::fromLatin1(ServerItemKindText(item.Kind));
    setWindowTitle((isNew ? QStringLiteral("New %1") : QStringLiteral("Edit %1")).arg(kind));

    FUi->AddressEdit->setText(QString::number(item.Address));
    if (!isNew) {
        FUi->AddressEdit->setReadOnly(true);
        QPalette palette = FUi->AddressEdit->palette();
        palette.setColor(QPalette::Base, palette.color(QPalette::Button));
        FUi->AddressEdit->setPalette(palette);
    }

    const bool isRegister = IsRegisterKind(item.Kind);
    if (isRegister) {
        FUi->ValueEdit->setText(QString::number(item.Value));
        FUi->MinValueEdit->setText(QString::number(item.Min));
        FUi->MaxValueEdit->setText(QString::number(item.Max));
    } else {
        FUi->ValueCheckBox->setChecked(IsBitOn(item));
    }
    FUi->ValueCheckBox->setHidden(isRegister);
    for (QWidget* w :
         {static_cast<QWidget*>(FUi->ValueLabel), static_cast<QWidget*>(FUi->ValueEdit),
          static_cast<QWidget*>(FUi->MinValueLabel), static_cast<QWidget*>(FUi->MinValueEdit),
          static_cast<QWidget*>(FUi->MaxValueLabel), static_cast<QWidget*>(FUi->MaxValueEdit)}) {
        w->setHidden(!isRegister);
    }

    const bool showsWriteable = item.Kind == ikCoil || item.Kind == ikHoldingRegister;
    FUi->WriteableCheckBox->setChecked(item.Writeable != 0);
    FUi->WriteableCheckBox->setHidden(!showsWriteable);

    connect(FUi->OKButton, &QPushButton::clicked, this, &TServerItemEditorForm::OKButtonClick);
    connect(FUi->CancelButton, &QPushButton::clicked, this, &QDialog::reject);
}

TServerItemEditorForm::~TServerItemEditorForm() = default;

TItemEditorInput TServerItemEditorForm::Input() const {
    TItemEditorInput input;
    input.Address = FUi->AddressEdit->text().toStdString();
    input.Value = FUi->ValueEdit->text().toStdString();
    input.MinValue = FUi->MinValueEdit->text().toStdString();
    input.MaxValue = FUi->MaxValueEdit->text().toStdString();
    input.ValueChecked = FUi->ValueCheckBox->isChecked();
    input.WriteableChecked = FUi->WriteableCheckBox->isChecked();
    return input;
}

TServerItem TServerItemEditorForm::EditedItem() const {
    return ApplyServerItemEditor(FItem, Input());
}

void TServerItemEditorForm::OKButtonClick() {
    const TItemEditorCheck check = CheckServerItemEditor(FItem.Kind, Input());
    if (check.Field == efNone) {
        accept();
        return;
    }
    setResult(QDialog::Rejected);
    if (QLineEdit* edit = EditOf(check.Field)) {
        edit->setFocus();
    }
    ShowErrorThrough(FShowError, this, QString::fromStdString(check.Error));
}

void TServerItemEditorForm::showEvent(QShowEvent* event) {
    if (const QScreen* s = screen()) {
        move(s->availableGeometry().center() - rect().center());
    }
    QDialog::showEvent(event);
}

QLineEdit* TServerItemEditorForm::EditOf(TItemEditorField field) const {
    switch (field) {
    case efAddress:
        return FUi->AddressEdit;
    case efMinValue:
        return FUi->MinValueEdit;
    case efMaxValue:
        return FUi->MaxValueEdit;
    case efValue:
        return FUi->ValueEdit;
    case efNone:
        break;
    }
    return nullptr;
}

bool EditServerItem(TServerItem& item, bool isNew, const TServerItemEditorSeams& seams,
                    QWidget* parent) {
    TServerItemEditorForm form(item, isNew, seams.ShowError, parent);
    // Only OK, after its check passed, accepts the form; a seam cannot bypass the check.
    if (ExecDialogThrough(seams.ExecDialog, form) != QDialog::Accepted ||
        form.result() != QDialog::Accepted) {
        return false;
    }
    item = form.EditedItem();
    return true;
}

} // namespace Sondrel
