// TModbusAccessPage: The "Modbus Access" tab: manual reads and writes of holding and input
// registers, the mask write and the read/write-multiple request, with the register list to write
// from.
//
// The controls carry the names the rest of the console uses as their objectNames; Form() gives
// them to the window. The access panel adds the operations to these controls.
// Main (GUI) thread only; the controls are children of the page.
#pragma once

#include <QWidget>

#include <memory>

namespace Ui {
class TModbusAccessPage;
}

namespace Sondrel {

class TModbusAccessPage : public QWidget {
    Q_OBJECT
public:
    explicit TModbusAccessPage(QWidget* parent = nullptr);
    ~TModbusAccessPage() override;

    Ui::TModbusAccessPage& Form() { return *FUi; }

    // The page's share of the window's enableButtons: the register controls.
    void enableButtons(bool value);

private:
    std::unique_ptr<Ui::TModbusAccessPage> FUi;
};

} // namespace Sondrel
