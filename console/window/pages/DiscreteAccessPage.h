// TDiscreteAccessPage: The "Discrete Access" tab (kept hidden by the window): reads of coils and
// discrete inputs and writes of coils, with the coil list to write from.
//
// The controls carry the names the rest of the console uses as their objectNames; Form() gives
// them to the window. The access panel adds the operations to these controls.
// Main (GUI) thread only; the controls are children of the page.
#pragma once

#include <QWidget>

#include <memory>

namespace Ui {
class TDiscreteAccessPage;
}

namespace Sondrel {

class TDiscreteAccessPage : public QWidget {
    Q_OBJECT
public:
    explicit TDiscreteAccessPage(QWidget* parent = nullptr);
    ~TDiscreteAccessPage() override;

    Ui::TDiscreteAccessPage& Form() { return *FUi; }

private:
    std::unique_ptr<Ui::TDiscreteAccessPage> FUi;
};

} // namespace Sondrel
