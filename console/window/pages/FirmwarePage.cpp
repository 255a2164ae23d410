#include "FirmwarePage.h"

#include "ui_FirmwarePage.h"

namespace Sondrel {

TFirmwarePage::TFirmwarePage(QWidget* parent)
    : QWidget(parent), FUi(std::make_unique<Ui::TFirmwarePage>()) {
    FUi->setupUi(this);
    FUi->ComComboBox1->SetPortText(QStringLiteral("COM1"));
}

TFirmwarePage::~TFirmwarePage() = default;

void TFirmwarePage::EnableFirmwareControls(bool enabled) {
    for (QWidget* control :
         {static_cast<QWidget*>(FUi->ComComboBox1), static_cast<QWidget*>(FUi->hexEdit),
          static_cast<QWidget*>(FUi->Button1), static_cast<QWidget*>(FUi->startUpdateButton)}) {
        control->setEnabled(enabled);
    }
}

} // namespace Sondrel
