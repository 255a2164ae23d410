#include "ServerDiagnosticsPage.h"

#include "ui_ServerDiagnosticsPage.h"

#include "ConsoleReports.h"

namespace Sondrel {

TServerDiagnosticsPage::TServerDiagnosticsPage(QWidget* parent)
    : QWidget(parent), FUi(std::make_unique<Ui::TServerDiagnosticsPage>()) {
    FUi->setupUi(this);
    QStringList actions;
    for (int a = Corvane::daReturnQueryData; a <= Corvane::daClearOverrunCounterAndFlag; ++a) {
        const std::string_view caption =
            DiagnosticActionCaption(static_cast<Corvane::TDiagnosticAction>(a));
        actions << QString::fromUtf8(caption.data(), static_cast<qsizetype>(caption.size()));
    }
    FUi->DiagnosticActionRadioGroup->SetItems(actions);
    FUi->DiagnosticActionRadioGroup->SetItemIndex(Corvane::daReturnQueryData);
}

TServerDiagnosticsPage::~TServerDiagnosticsPage() = default;

} // namespace Sondrel
