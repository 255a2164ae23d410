#include "FirmwarePage.h"

#include "ui_FirmwarePage.h"

namespace Sondrel {

TFirmwarePage::TFirmwarePage(QWidget* parent)
    : QWidget(parent), FUi(std::make_unique<Ui::TFirmwarePage>()) {
    FUi->setupUi(this);
    FUi->ComComboBox1->SetPortText(QStringLiteral("COM1"));
}

TFirmwarePage::~TFirmwarePage() = default;

} // namespace Sondrel
