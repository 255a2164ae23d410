#include "ModbusAccessPage.h"

#include "ui_ModbusAccessPage.h"

#include <initializer_list>

namespace Sondrel {

TModbusAccessPage::TModbusAccessPage(QWidget* parent)
    : QWidget(parent), FUi(std::make_unique<Ui::TModbusAccessPage>()) {
    FUi->setupUi(this);
    // The register list shows the address first and the value to write after it.
    FUi->RegisterListView->setHeaderLabels({QStringLiteral("Address"), QStringLiteral("Value")});
    FUi->RegisterListView->setColumnWidth(0, 90);
    // The results table takes the room the groups above leave.
    FUi->ModbusAccessLayout->setStretchFactor(FUi->RegisterResultsGroupBox, 1);
}

TModbusAccessPage::~TModbusAccessPage() = default;

void TModbusAccessPage::enableButtons(bool value) {
    auto& ui = *FUi;
    for (QWidget* w : std::initializer_list<QWidget*>{
             ui.ReadHoldingRegistersButton, ui.ReadInputRegistersButton, ui.ReadRegCountEdit,
             ui.ReadStartRegEdit, ui.RegisterBroadcastCheckBox, ui.RegisterListView,
             ui.WriteMultipleRegistersButton, ui.WriteSingleRegisterButton, ui.WriteRegCountEdit,
             ui.WriteStartRegEdit, ui.ReadWriteMultipleRegistersButton, ui.MaskWriteRegAddrEdit,
             ui.MaskWriteSingleRegisterButton, ui.OrMaskEdit, ui.AndMaskEdit}) {
        w->setEnabled(value);
    }
}

} // namespace Sondrel
