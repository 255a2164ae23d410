#include "ModbusConnectionEditForm.h"

#include "ui_ModbusConnectionEditForm.h"

#include "CorvaneError.h"
#include "SerialPortNames.h"

#include <QGuiApplication>
#include <QMessageBox>
#include <QScreen>

#include <algorithm>
#include <string>
#include <vector>

namespace Corvane {

namespace {

constexpr qint64 kMaxUInt32 = 4294967295;

enum TPage : int { pgSerial = 0, pgTransaction = 1 };

// Default entries for property values outside their lists.
constexpr int kDefaultBaudRate = br19200;
constexpr int kDefaultDataBits = db8;
constexpr int kDefaultParity = psEven;
constexpr int kDefaultStopBits = sb1;
constexpr int kDefaultFlowControl = fcNone;
constexpr int kDefaultTransmissionMode = tmRTU;
constexpr int kDefaultConnectionMode = cmClient;
constexpr int kDefaultThreadPriority = tpNormal;

int InList(int value, int count, int fallback) {
    return value >= 0 && value < count ? value : fallback;
}

int Chosen(const TRadioGroup* group, int fallback) {
    const int index = group->ItemIndex();
    return index >= 0 ? index : fallback;
}

// An enabled edit is painted in the window colour, a disabled one in the button-face colour.
void SetEditEnabled(QLineEdit* edit, QWidget* label, bool enabled) {
    label->setEnabled(enabled);
    edit->setEnabled(enabled);
    QPalette palette = edit->palette();
    const QPalette standard = edit->style()->standardPalette();
    const QColor base = enabled ? standard.color(QPalette::Active, QPalette::Base)
                                : standard.color(QPalette::Active, QPalette::Button);
    palette.setColor(QPalette::Active, QPalette::Base, base);
    palette.setColor(QPalette::Inactive, QPalette::Base, base);
    palette.setColor(QPalette::Disabled, QPalette::Base, base);
    edit->setPalette(palette);
}

// The text as the message shows it: a character that cannot be shown (a pasted NUL, which
// would also cut the message short) becomes '?'.
QString Shown(QString text) {
    for (QChar& c : text) {
        if (!c.isPrint() && c != QLatin1Char(' ')) {
            c = QLatin1Char('?');
        }
    }
    return text;
}

std::uint32_t EditValue32(QLineEdit* edit) {
    // The fields were checked before; min == max parses without a range check.
    return static_cast<std::uint32_t>(CheckIntegerEdit(edit, 0, 0));
}

} // namespace

const QStringList& BaudRateTexts() {
    static const QStringList texts = {
        QStringLiteral("110"),    QStringLiteral("300"),    QStringLiteral("600"),
        QStringLiteral("1200"),   QStringLiteral("2400"),   QStringLiteral("4800"),
        QStringLiteral("9600"),   QStringLiteral("14400"),  QStringLiteral("19200"),
        QStringLiteral("38400"),  QStringLiteral("56000"),  QStringLiteral("57600"),
        QStringLiteral("115200"), QStringLiteral("128000"), QStringLiteral("256000"),
        QStringLiteral("Custom")};
    return texts;
}

qint64 CheckIntegerEdit(QLineEdit* edit, qint64 min, qint64 max) {
    const QString text = edit->text();
    bool ok = false;
    const QString trimmed = text.trimmed();
    const qint64 value = trimmed.toLongLong(&ok, 10);
    const bool focusable = edit->isEnabled();
    // QString's conversion stops at a NUL (a pasted one) and would take "1<NUL>2" for 1.
    if (!ok || trimmed.isEmpty() || trimmed.contains(QChar(u'\0'))) {
        if (focusable) {
            edit->setFocus();
        }
        throw ECorvaneError(msgNotAValidInteger, {Shown(text).toStdString()});
    }
    if (min != max && (value < min || value > max)) {
        if (focusable) {
            edit->setFocus();
        }
        throw ECorvaneError(msgValueMustBeBetween, {std::int64_t{min}, std::int64_t{max}});
    }
    return value;
}

TModbusConnectionEditForm::TModbusConnectionEditForm(QWidget* parent)
    : QDialog(parent), FUi(std::make_unique<Ui::TModbusConnectionEditForm>()) {
    FUi->setupUi(this);
    setFont(QFont(QStringLiteral("Tahoma"), 8));
    // The pages are packed to fit the fixed client area.
    FUi->FormLayout->setContentsMargins(6, 6, 6, 6);
    FUi->SerialCommLayout->setVerticalSpacing(2);
    FUi->SerialCommLayout->setContentsMargins(8, 6, 8, 6);
    FUi->TransactionMgmtLayout->setVerticalSpacing(4);
    FUi->TransactionMgmtLayout->setContentsMargins(8, 6, 8, 6);
    setFixedSize(440, 416);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    std::vector<std::string> ports;
    GetSerialPortNames(ports);
    std::sort(ports.begin(), ports.end());
    for (const auto& port : ports) {
        FUi->PortComboBox->addItem(QString::fromStdString(port));
    }
    FUi->BaudRateComboBox->addItems(BaudRateTexts());

    FUi->DataBitsRadioGroup->SetItems({QStringLiteral("7 bits"), QStringLiteral("8 bits")});
    FUi->DataBitsRadioGroup->SetColumns(2);
    FUi->ParitySchemeRadioGroup->SetItems(
        {QStringLiteral("None"), QStringLiteral("Odd"), QStringLiteral("Even")});
    FUi->ParitySchemeRadioGroup->SetColumns(3);
    FUi->StopBitsRadioGroup->SetItems({QStringLiteral("1 bit"), QStringLiteral("2 bits")});
    FUi->StopBitsRadioGroup->SetColumns(2);
    FUi->TransmissionModeRadioGroup->SetItems({QStringLiteral("RTU"), QStringLiteral("ASCII")});
    FUi->TransmissionModeRadioGroup->SetColumns(2);
    FUi->FlowControlRadioGroup->SetItems({QStringLiteral("None"), QStringLiteral("RTS Toggle"),
                                          QStringLiteral("RTS/CTS"), QStringLiteral("DTR/DSR")});
    FUi->ConnectionModeRadioGroup->SetItems({QStringLiteral("Client"), QStringLiteral("Server")});
    FUi->ConnectionModeRadioGroup->SetColumns(2);
    FUi->ThreadPriorityRadioGroup->SetItems({QStringLiteral("Idle"), QStringLiteral("Lowest"),
                                             QStringLiteral("Lower"), QStringLiteral("Normal"),
                                             QStringLiteral("Higher"), QStringLiteral("Highest"),
                                             QStringLiteral("Time Critical")});
    FUi->ThreadPriorityRadioGroup->SetColumns(2);

    FUi->PageControl->setCurrentIndex(pgSerial);

    connect(FUi->BaudRateComboBox, &QComboBox::currentIndexChanged, this,
            [this] { UpdateDependentControls(); });
    for (TRadioGroup* group : {FUi->FlowControlRadioGroup, FUi->TransmissionModeRadioGroup,
                               FUi->ConnectionModeRadioGroup}) {
        connect(group, &TRadioGroup::ItemIndexChanged, this, [this] { UpdateDependentControls(); });
    }
    connect(FUi->PageControl, &QTabWidget::currentChanged, this,
            [this](int index) { PageControlChange(index); });
    connect(FUi->RTUDefaultsButton, &QPushButton::clicked, this,
            [this] { RTUDefaultsButtonClick(); });
    connect(FUi->ASCIIDefaultsButton, &QPushButton::clicked, this,
            [this] { ASCIIDefaultsButtonClick(); });
    connect(FUi->OKButton, &QPushButton::clicked, this, [this] { accept(); });
    connect(FUi->CancelButton, &QPushButton::clicked, this, [this] { reject(); });
    UpdateDependentControls();
}

TModbusConnectionEditForm::~TModbusConnectionEditForm() = default;

void TModbusConnectionEditForm::LoadFrom(const TModbusConnection& c) {
    auto& ui = *FUi;
    ui.PortComboBox->setEditText(QString::fromStdString(c.Port()));
    ui.BaudRateComboBox->setCurrentIndex(
        InList(c.BaudRate(), static_cast<int>(BaudRateTexts().size()), kDefaultBaudRate));
    ui.CustomBaudRateEdit->setText(QString::number(c.CustomBaudRate()));
    ui.EchoCheckBox->setChecked(c.EchoQueryBeforeReply());
    ui.StandardTimingCheckBox->setChecked(c.FrameTiming() == ftStandard);
    ui.DTREnabledCheckBox->setChecked(c.DTREnabled());
    ui.RTSEnabledCheckBox->setChecked(c.RTSEnabled());
    ui.DataBitsRadioGroup->SetItemIndex(InList(c.DataBits(), 2, kDefaultDataBits));
    ui.ParitySchemeRadioGroup->SetItemIndex(InList(c.Parity(), 3, kDefaultParity));
    ui.StopBitsRadioGroup->SetItemIndex(InList(c.StopBits(), 2, kDefaultStopBits));
    ui.FlowControlRadioGroup->SetItemIndex(InList(c.FlowControl(), 4, kDefaultFlowControl));
    ui.TransmissionModeRadioGroup->SetItemIndex(
        InList(c.TransmissionMode(), 2, kDefaultTransmissionMode));
    ui.ConnectionModeRadioGroup->SetItemIndex(
        InList(c.ConnectionMode(), 2, kDefaultConnectionMode));
    ui.ThreadPriorityRadioGroup->SetItemIndex(
        InList(c.ThreadPriority(), 7, kDefaultThreadPriority));
    ui.SilentIntervalEdit->setText(QString::number(c.SilentInterval()));
    ui.RefetchDelayEdit->setText(QString::number(c.RefetchDelay()));
    ui.SendTimeoutEdit->setText(QString::number(c.SendTimeout()));
    ui.ReceiveTimeoutEdit->setText(QString::number(c.ReceiveTimeout()));
    ui.MaxRetriesEdit->setText(QString::number(c.MaxRetries()));
    ui.TurnaroundDelayEdit->setText(QString::number(c.TurnaroundDelay()));
    UpdateDependentControls();
}

bool TModbusConnectionEditForm::IsServerMode() const {
    return FUi->ConnectionModeRadioGroup->ItemIndex() == cmServer;
}

void TModbusConnectionEditForm::UpdateDependentControls() {
    auto& ui = *FUi;
    ui.CustomBaudRateEdit->setVisible(ui.BaudRateComboBox->currentIndex() == brCustom);

    const int flow = ui.FlowControlRadioGroup->ItemIndex();
    ui.DTREnabledCheckBox->setEnabled(flow != fcDtrDsr);
    ui.RTSEnabledCheckBox->setEnabled(flow == fcNone || flow == fcDtrDsr);

    const bool ascii = ui.TransmissionModeRadioGroup->ItemIndex() == tmASCII;
    ui.Label3->setText(
        QStringLiteral("Silent &Interval [%1]:")
            .arg(ascii ? QStringLiteral("milliseconds") : QStringLiteral("character times")));
    // The frame timing delimits RTU frames; ASCII frames end at their CR LF either way.
    ui.StandardTimingCheckBox->setEnabled(!ascii);

    const bool serialPage = ui.PageControl->currentIndex() == pgSerial;
    ui.RTUDefaultsButton->setEnabled(serialPage);
    ui.ASCIIDefaultsButton->setEnabled(serialPage);

    const bool client = !IsServerMode();
    SetEditEnabled(ui.RefetchDelayEdit, ui.RefetchDelayLabel, client);
    SetEditEnabled(ui.ReceiveTimeoutEdit, ui.ReceiveTimeoutLabel, client);
    SetEditEnabled(ui.MaxRetriesEdit, ui.MaxRetriesLabel, client);
    SetEditEnabled(ui.TurnaroundDelayEdit, ui.TurnaroundDelayLabel, client);
    SetEditEnabled(ui.SendTimeoutEdit, ui.SendTimeoutLabel, true);
}

void TModbusConnectionEditForm::Check(QLineEdit* edit, qint64 min, qint64 max) {
    FFailedEdit = edit;
    CheckIntegerEdit(edit, min, max);
    FFailedEdit = nullptr;
}

void TModbusConnectionEditForm::ValidateSerialPage() {
    auto& ui = *FUi;
    ui.EchoCheckBox->setEnabled(!IsServerMode());
    if (ui.BaudRateComboBox->currentIndex() == brCustom) {
        Check(ui.CustomBaudRateEdit, 0, kMaxUInt32);
    }
    Check(ui.SilentIntervalEdit, 0, kMaxUInt32);
}

void TModbusConnectionEditForm::ValidateTransactionPage() {
    auto& ui = *FUi;
    const bool client = !IsServerMode();
    if (client) {
        Check(ui.RefetchDelayEdit, 0, kMaxUInt32);
    }
    Check(ui.SendTimeoutEdit, 0, kMaxUInt32);
    Check(ui.ReceiveTimeoutEdit, 0, kMaxUInt32);
    if (client) {
        Check(ui.MaxRetriesEdit, 1, kMaxUInt32);
        Check(ui.TurnaroundDelayEdit, 0, kMaxUInt32);
    }
}

void TModbusConnectionEditForm::ReportError(const QString& text) {
    if (ShowError) {
        ShowError(text);
    } else {
        QMessageBox::critical(this, windowTitle(), text);
    }
}

void TModbusConnectionEditForm::PageControlChange(int index) {
    if (FRestoringPage) {
        return;
    }
    const int left = FShownPage;
    try {
        if (left == pgSerial) {
            ValidateSerialPage();
        } else {
            ValidateTransactionPage();
        }
        FShownPage = index;
        UpdateDependentControls();
        return;
    } catch (const ECorvaneError& e) {
        FRestoringPage = true;
        FUi->PageControl->setCurrentIndex(left);
        FRestoringPage = false;
        UpdateDependentControls();
        // The faulty edit was hidden while it was checked; it takes the focus now that it shows.
        if (FFailedEdit != nullptr) {
            FFailedEdit->setFocus();
        }
        ReportError(QString::fromStdString(e.what()));
    }
}

void TModbusConnectionEditForm::accept() {
    try {
        ValidateSerialPage();
        ValidateTransactionPage();
    } catch (const ECorvaneError& e) {
        ReportError(QString::fromStdString(e.what()));
        return;
    }
    QDialog::accept();
}

void TModbusConnectionEditForm::RTUDefaultsButtonClick() {
    auto& ui = *FUi;
    ui.DataBitsRadioGroup->SetItemIndex(db8);
    ui.ParitySchemeRadioGroup->SetItemIndex(psEven);
    ui.StopBitsRadioGroup->SetItemIndex(sb1);
    ui.TransmissionModeRadioGroup->SetItemIndex(tmRTU);
    ui.SilentIntervalEdit->setText(QStringLiteral("4"));
    UpdateDependentControls();
}

void TModbusConnectionEditForm::ASCIIDefaultsButtonClick() {
    auto& ui = *FUi;
    ui.DataBitsRadioGroup->SetItemIndex(db7);
    ui.ParitySchemeRadioGroup->SetItemIndex(psEven);
    ui.StopBitsRadioGroup->SetItemIndex(sb1);
    ui.TransmissionModeRadioGroup->SetItemIndex(tmASCII);
    ui.SilentIntervalEdit->setText(QStringLiteral("1000"));
    UpdateDependentControls();
}

bool TModbusConnectionEditForm::NeedsReopen(const TModbusConnection& c) const {
    if (!c.Active() || c.Loading()) {
        return false;
    }
    const auto& ui = *FUi;
    return ui.PortComboBox->currentText().toStdString() != c.Port() ||
           Chosen(ui.FlowControlRadioGroup, kDefaultFlowControl) != c.FlowControl() ||
           ui.DTREnabledCheckBox->isChecked() != c.DTREnabled() ||
           ui.RTSEnabledCheckBox->isChecked() != c.RTSEnabled() ||
           Chosen(ui.TransmissionModeRadioGroup, kDefaultTransmissionMode) !=
               c.TransmissionMode() ||
           Chosen(ui.ConnectionModeRadioGroup, kDefaultConnectionMode) != c.ConnectionMode();
}

void TModbusConnectionEditForm::ApplyTo(TModbusConnection& c) const {
    const auto& ui = *FUi;
    const bool reopen = NeedsReopen(c);
    // An open line cannot run at a custom rate of 0: refused before any property is set, so
    // that the connection keeps all its settings instead of some of them.
    if (!reopen && c.Active() && !c.Loading() && ui.BaudRateComboBox->currentIndex() == brCustom &&
        EditValue32(ui.CustomBaudRateEdit) == 0) {
        throw ECorvaneError(msgCustomBaudRateZero);
    }
    if (reopen) {
        c.SetActive(false);
    }
    try {
        const int baud = ui.BaudRateComboBox->currentIndex() >= 0
                             ? ui.BaudRateComboBox->currentIndex()
                             : kDefaultBaudRate;
        c.SetPort(ui.PortComboBox->currentText().toStdString());
        c.SetBaudRate(static_cast<TBaudRate>(baud));
        if (baud == brCustom) {
            c.SetCustomBaudRate(EditValue32(ui.CustomBaudRateEdit));
        }
        c.SetEchoQueryBeforeReply(ui.EchoCheckBox->isChecked());
        c.SetDataBits(static_cast<TDataBits>(Chosen(ui.DataBitsRadioGroup, kDefaultDataBits)));
        c.SetParity(static_cast<TParityScheme>(Chosen(ui.ParitySchemeRadioGroup, kDefaultParity)));
        c.SetStopBits(static_cast<TStopBits>(Chosen(ui.StopBitsRadioGroup, kDefaultStopBits)));
        c.SetFlowControl(
            static_cast<TFlowControl>(Chosen(ui.FlowControlRadioGroup, kDefaultFlowControl)));
        c.SetDTREnabled(ui.DTREnabledCheckBox->isChecked());
        c.SetRTSEnabled(ui.RTSEnabledCheckBox->isChecked());
        c.SetTransmissionMode(static_cast<TTransmissionMode>(
            Chosen(ui.TransmissionModeRadioGroup, kDefaultTransmissionMode)));
        c.SetSilentInterval(EditValue32(ui.SilentIntervalEdit));
        c.SetFrameTiming(ui.StandardTimingCheckBox->isChecked() ? ftStandard : ftClassic);
        const auto mode = static_cast<TConnectionMode>(
            Chosen(ui.ConnectionModeRadioGroup, kDefaultConnectionMode));
        c.SetConnectionMode(mode);
        c.SetThreadPriority(static_cast<TThreadPriority>(
            Chosen(ui.ThreadPriorityRadioGroup, kDefaultThreadPriority)));
        if (mode == cmClient) {
            c.SetRefetchDelay(EditValue32(ui.RefetchDelayEdit));
        }
        c.SetSendTimeout(EditValue32(ui.SendTimeoutEdit));
        c.SetReceiveTimeout(EditValue32(ui.ReceiveTimeoutEdit));
        if (mode == cmClient) {
            c.SetMaxRetries(EditValue32(ui.MaxRetriesEdit));
            c.SetTurnaroundDelay(EditValue32(ui.TurnaroundDelayEdit));
        }
    } catch (...) {
        if (reopen) {
            // The setter's error is the one reported; a failed reopening shows in the log.
            try {
                c.SetActive(true);
            } catch (...) {
            }
        }
        throw;
    }
    if (reopen) {
        c.SetActive(true);
    }
}

void TModbusConnectionEditForm::showEvent(QShowEvent* event) {
    UpdateDependentControls();
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        move(screen->availableGeometry().center() - rect().center());
    }
    QDialog::showEvent(event);
}

bool EditModbusConnection(TModbusConnection& connection, const QString& caption,
                          const TConnectionEditHooks& hooks) {
    int result = QDialog::Rejected;
    {
        TModbusConnectionEditForm form(hooks.Parent);
        form.setWindowTitle(caption);
        form.ShowError = hooks.ShowError;
        form.LoadFrom(connection);
        result = hooks.Exec ? hooks.Exec(form) : form.exec();
        if (result == QDialog::Accepted) {
            form.ApplyTo(connection);
        }
    }
    return result == QDialog::Accepted;
}

} // namespace Corvane
