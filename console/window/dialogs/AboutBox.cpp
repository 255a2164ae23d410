#include "AboutBox.h"

#include "ui_AboutBox.h"

#include "ToolIcons.h"

#include <QApplication>

namespace Sondrel {

TAboutBox::TAboutBox(QWidget* parent) : QDialog(parent), FUi(std::make_unique<Ui::TAboutBox>()) {
    FUi->setupUi(this);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    FUi->ProgramIcon->setPixmap(ToolIcon(tiRetrieveData).pixmap(48, 48));
    FUi->Version->setText(QStringLiteral("Version %1").arg(QApplication::applicationVersion()));
    connect(FUi->OKButton, &QPushButton::clicked, this, &QDialog::accept);
}

TAboutBox::~TAboutBox() = default;

} // namespace Sondrel
