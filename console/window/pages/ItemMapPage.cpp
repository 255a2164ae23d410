#include "ItemMapPage.h"

#include "ui_ItemMapPage.h"

namespace Sondrel {

TItemMapPage::TItemMapPage(QWidget* parent)
    : QWidget(parent), FUi(std::make_unique<Ui::TItemMapPage>()) {
    FUi->setupUi(this);
}

TItemMapPage::~TItemMapPage() = default;

} // namespace Sondrel
