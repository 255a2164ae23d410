// TFirmwarePage: The "Firmware Update" tab: the port and hex file of the firmware update, the START
// button and the instructions view.
//
// The controls carry the names the rest of the console uses as their objectNames; Form() gives
// them to the window. The firmware update adds the behaviour of Browse and START.
// Main (GUI) thread only; the controls are children of the page.
#pragma once

#include <QWidget>

#include <memory>

namespace Ui {
class TFirmwarePage;
}

namespace Sondrel {

class TFirmwarePage : public QWidget {
    Q_OBJECT
public:
    explicit TFirmwarePage(QWidget* parent = nullptr);
    ~TFirmwarePage() override;

    Ui::TFirmwarePage& Form() { return *FUi; }

    // The port, file, Browse and START controls, switched together (off while a download or a
    // firmware update runs).
    void EnableFirmwareControls(bool enabled);

private:
    std::unique_ptr<Ui::TFirmwarePage> FUi;
};

} // namespace Sondrel
