#include "ExportTabPage.h"

#include "ui_ExportTabPage.h"

#include "ToolIcons.h"

namespace Sondrel {

TExportTabPage::TExportTabPage(QWidget* parent)
    : QWidget(parent), FUi(std::make_unique<Ui::TExportTabPage>()) {
    FUi->setupUi(this);
    SetQuickConnectImage(false);
}

TExportTabPage::~TExportTabPage() = default;

void TExportTabPage::SetQuickConnectImage(bool open) {
    FUi->connectButton->setIcon(
        ImageResource(open ? QStringLiteral("Bitmap_2") : QStringLiteral("Bitmap_1")));
}

} // namespace Sondrel
