#include "IntroductionPage.h"

#include "ui_IntroductionPage.h"

namespace Sondrel {

TIntroductionPage::TIntroductionPage(QWidget* parent)
    : QWidget(parent), FUi(std::make_unique<Ui::TIntroductionPage>()) {
    FUi->setupUi(this);
}

TIntroductionPage::~TIntroductionPage() = default;

} // namespace Sondrel
