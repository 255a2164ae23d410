// TItemMapPage: The "Local Server's Item Map" tab (shown in server mode): the list of the local
// server's items and the buttons that add, edit and remove them.
//
// The controls carry the names the rest of the console uses as their objectNames; Form() gives
// them to the window. The item map work gives the list its model and the buttons their handlers.
// Main (GUI) thread only; the controls are children of the page.
#pragma once

#include <QWidget>

#include <memory>

namespace Ui {
class TItemMapPage;
}

namespace Sondrel {

class TItemMapPage : public QWidget {
    Q_OBJECT
public:
    explicit TItemMapPage(QWidget* parent = nullptr);
    ~TItemMapPage() override;

    Ui::TItemMapPage& Form() { return *FUi; }

private:
    std::unique_ptr<Ui::TItemMapPage> FUi;
};

} // namespace Sondrel
