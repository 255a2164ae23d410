#include "DiscreteAccessPage.h"

#include "ui_DiscreteAccessPage.h"

namespace Sondrel {

TDiscreteAccessPage::TDiscreteAccessPage(QWidget* parent)
    : QWidget(parent), FUi(std::make_unique<Ui::TDiscreteAccessPage>()) {
    FUi->setupUi(this);
    FUi->DiscreteListView->setHeaderLabels({QStringLiteral("Address")});
}

TDiscreteAccessPage::~TDiscreteAccessPage() = default;

} // namespace Sondrel
