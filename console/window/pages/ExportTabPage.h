// TExportTabPage: The "RK4400 Export" tab (kept hidden by the window): the quick-connect port
// picker and button, the whole-log download and its stop button.
//
// The controls carry the names the rest of the console uses as their objectNames; Form() gives
// them to the window. The whole-log download and the port check add their behaviour to these
// controls. Main (GUI) thread only; the controls are children of the page.
#pragma once

#include <QWidget>

#include <memory>

namespace Ui {
class TExportTabPage;
}

namespace Sondrel {

class TExportTabPage : public QWidget {
    Q_OBJECT
public:
    explicit TExportTabPage(QWidget* parent = nullptr);
    ~TExportTabPage() override;

    Ui::TExportTabPage& Form() { return *FUi; }

    // The quick-connect button's image: "Bitmap_2" while the connection is open, else
    // "Bitmap_1".
    void SetQuickConnectImage(bool open);

private:
    std::unique_ptr<Ui::TExportTabPage> FUi;
};

} // namespace Sondrel
