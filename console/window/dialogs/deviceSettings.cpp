#include "deviceSettings.h"

#include "ui_deviceSettings.h"

#include "ApplicationSettings.h"
#include "DialogService.h"
#include "DigitKeyFilter.h"
#include "RegistrySettings.h"

namespace Sondrel {

TdevicePortSettings::TdevicePortSettings(TRegistrySettings& registry, IDialogService& dialogs,
                                         QWidget* parent)
    : QDialog(parent), FRegistry(registry), FDialogs(dialogs),
      FUi(std::make_unique<Ui::TdevicePortSettings>()),
      FAddressKeyFilter(new TDigitKeyFilter(this)) {
    FUi->setupUi(this);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    layout()->setSizeConstraint(QLayout::SetFixedSize);

    FUi->addressUpDown->SetBuddy(FUi->addressEdit);
    FUi->addressUpDown->SetRange(1, 247);
    FUi->serialPortComboBox->SetPortText(QStringLiteral("COM1"));
    FUi->databitsRadioGroup->SetItems({QStringLiteral("7 bits"), QStringLiteral("8 bits")});
    FUi->stopbitsRadioGroup->SetItems({QStringLiteral("1 bit"), QStringLiteral("2 bits")});
    FUi->parityGroupBox->SetItems(
        {QStringLiteral("None"), QStringLiteral("Odd"), QStringLiteral("Even")});
    FUi->flowControlRadioGroup->SetItems({QStringLiteral("None"), QStringLiteral("RTS Toggle"),
                                          QStringLiteral("RTS/CTS"), QStringLiteral("DTR/DSR")});

    // Digits and backspace only.
    FAddressKeyFilter->OnInvalidKey = [this] { addressEditKeyPress(); };
    FUi->addressEdit->installEventFilter(FAddressKeyFilter);

    connect(FUi->defaultButton, &QPushButton::clicked, this, [this] { defaultButtonClick(); });
    connect(FUi->Button2, &QPushButton::clicked, this, [this] { Button2Click(); });
    connect(FUi->Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
}

TdevicePortSettings::~TdevicePortSettings() = default;

void TdevicePortSettings::addressEditKeyPress() {
    FDialogs.ShowMessage(QString::fromLatin1(TDigitKeyFilter::InvalidKeyText));
}

QString TdevicePortSettings::getRegValue(const QString& name, const QString& defaultValue) {
    return FRegistry.ReadSetting(name, defaultValue);
}

void TdevicePortSettings::SetRunOnlyChoice(const std::optional<TDevicePortChoice>& choice) {
    FRunOnlyChoice = choice;
    FUi->runOnlyLabel->setVisible(choice.has_value());
}

void TdevicePortSettings::FormShow() {
    auto& ui = *FUi;
    if (FRunOnlyChoice) {
        const TDevicePortChoice& choice = *FRunOnlyChoice;
        ui.serialPortComboBox->RefreshPorts();
        ui.serialPortComboBox->SetPortText(QString::fromStdString(choice.Port));
        ui.baudrateComboBox->setCurrentIndex(choice.Indexes.BaudRate);
        ui.databitsRadioGroup->SetItemIndex(choice.Indexes.DataBits);
        ui.flowControlRadioGroup->SetItemIndex(choice.Indexes.FlowControl);
        ui.parityGroupBox->SetItemIndex(choice.Indexes.Parity);
        ui.stopbitsRadioGroup->SetItemIndex(choice.Indexes.StopBits);
        ui.addressEdit->setText(QString::fromStdString(choice.Address));
        return;
    }
    const auto index = [this](const char* name, const char* defaultValue) {
        const QString key = QString::fromLatin1(name);
        return TApplicationSettings::ToInteger(key,
                                               getRegValue(key, QString::fromLatin1(defaultValue)));
    };
    ui.serialPortComboBox->SetPortText(
        getRegValue(QStringLiteral("SerialPort1"), QStringLiteral("COM1")));
    ui.baudrateComboBox->setCurrentIndex(index("BaudRate1", "2"));
    ui.databitsRadioGroup->SetItemIndex(index("DataBits1", "1"));
    ui.flowControlRadioGroup->SetItemIndex(index("FlowControl1", "1"));
    ui.parityGroupBox->SetItemIndex(index("Parity1", "0"));
    ui.stopbitsRadioGroup->SetItemIndex(index("StopBits1", "0"));
    ui.addressEdit->setText(getRegValue(QStringLiteral("DeviceAddress1"), QStringLiteral("1")));
}

int TdevicePortSettings::ShowModal() {
    FormShow();
    return FDialogs.ExecDialog(*this);
}

void TdevicePortSettings::defaultButtonClick() {
    auto& ui = *FUi;
    ui.baudrateComboBox->setCurrentIndex(2);
    ui.databitsRadioGroup->SetItemIndex(1);
    ui.flowControlRadioGroup->SetItemIndex(0);
    ui.parityGroupBox->SetItemIndex(0);
    ui.stopbitsRadioGroup->SetItemIndex(0);
}

void TdevicePortSettings::Button2Click() {
    auto& ui = *FUi;
    if (FRunOnlyChoice) {
        accept();
        return;
    }
    FRegistry.WriteSetting(QStringLiteral("DeviceAddress1"), ui.addressEdit->text());
    FRegistry.WriteSetting(QStringLiteral("BaudRate1"),
                           QString::number(ui.baudrateComboBox->currentIndex()));
    FRegistry.WriteSetting(QStringLiteral("DataBits1"),
                           QString::number(ui.databitsRadioGroup->ItemIndex()));
    // The stored flow control is RTS toggle whatever the (hidden) group shows.
    FRegistry.WriteSetting(QStringLiteral("FlowControl1"), QStringLiteral("1"));
    FRegistry.WriteSetting(QStringLiteral("Parity1"),
                           QString::number(ui.parityGroupBox->ItemIndex()));
    FRegistry.WriteSetting(QStringLiteral("StopBits1"),
                           QString::number(ui.stopbitsRadioGroup->ItemIndex()));
    FRegistry.WriteSetting(QStringLiteral("SerialPort1"), ui.serialPortComboBox->PortText());
    accept();
}

void TdevicePortSettings::Button1Click() {
    reject();
}

QString TdevicePortSettings::AddressText() const {
    return FUi->addressEdit->text();
}

QString TdevicePortSettings::PortText() const {
    return FUi->serialPortComboBox->PortText();
}

TPortSettingIndexes TdevicePortSettings::Indexes() const {
    TPortSettingIndexes indexes;
    indexes.BaudRate = FUi->baudrateComboBox->currentIndex();
    indexes.DataBits = FUi->databitsRadioGroup->ItemIndex();
    indexes.StopBits = FUi->stopbitsRadioGroup->ItemIndex();
    indexes.Parity = FUi->parityGroupBox->ItemIndex();
    indexes.FlowControl = FUi->flowControlRadioGroup->ItemIndex();
    return indexes;
}

} // namespace Sondrel
