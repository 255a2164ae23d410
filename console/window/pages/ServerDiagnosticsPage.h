// TServerDiagnosticsPage: The "Server Diagnostics" tab (kept hidden by the window): the diagnostics
// action list and the diagnostics, exception status and server identification requests.
//
// The controls carry the names the rest of the console uses as their objectNames; Form() gives
// them to the window. The access panel adds the operations to these controls.
// Main (GUI) thread only; the controls are children of the page.
#pragma once

#include <QWidget>

#include <memory>

namespace Ui {
class TServerDiagnosticsPage;
}

namespace Sondrel {

class TServerDiagnosticsPage : public QWidget {
    Q_OBJECT
public:
    explicit TServerDiagnosticsPage(QWidget* parent = nullptr);
    ~TServerDiagnosticsPage() override;

    Ui::TServerDiagnosticsPage& Form() { return *FUi; }

private:
    std::unique_ptr<Ui::TServerDiagnosticsPage> FUi;
};

} // namespace Sondrel
