// TAboutBox: the program's About box (name, version, what it is for), shown modally from
// Help > About. Main (GUI) thread only.
#pragma once

#include <QDialog>

#include <memory>

namespace Ui {
class TAboutBox;
}

namespace Sondrel {

class TAboutBox : public QDialog {
    Q_OBJECT
public:
    explicit TAboutBox(QWidget* parent = nullptr);
    ~TAboutBox() override;

private:
    std::unique_ptr<Ui::TAboutBox> FUi;
};

} // namespace Sondrel
