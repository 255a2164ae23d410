#include "ExcursionsPanel.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace Sondrel {

TExcursionsPanel::TExcursionsPanel(QWidget* parent) : QWidget(parent) {
    limitsButton = new QPushButton(QStringLiteral("Limits..."), this);
    limitsButton->setObjectName(QStringLiteral("limitsButton"));
    limitsButton->setToolTip(QStringLiteral("The alert and action limits of the instrument"));
    limitsStatusLabel = new QLabel(this);
    limitsStatusLabel->setObjectName(QStringLiteral("limitsStatusLabel"));
    acknowledgeButton = new QPushButton(QStringLiteral("Acknowledge..."), this);
    acknowledgeButton->setObjectName(QStringLiteral("acknowledgeButton"));
    acknowledgeButton->setEnabled(false);
    excursionsView = new QTableWidget(0, ColumnCount, this);
    excursionsView->setObjectName(QStringLiteral("excursionsView"));
    excursionsView->setHorizontalHeaderLabels(
        {QStringLiteral("Start"), QStringLiteral("End"), QStringLiteral("Series"),
         QStringLiteral("Peak"), QStringLiteral("Limit kind"), QStringLiteral("Limit"),
         QStringLiteral("Acknowledged by"), QStringLiteral("At"), QStringLiteral("Comment")});
    excursionsView->setSelectionBehavior(QAbstractItemView::SelectRows);
    excursionsView->setSelectionMode(QAbstractItemView::SingleSelection);
    excursionsView->setEditTriggers(QAbstractItemView::NoEditTriggers);
    excursionsView->verticalHeader()->setVisible(false);
    excursionsView->horizontalHeader()->setStretchLastSection(true);
    excursionsView->setMaximumHeight(160);

    auto* top = new QHBoxLayout;
    top->addWidget(limitsButton);
    top->addWidget(limitsStatusLabel, 1);
    top->addWidget(acknowledgeButton);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addLayout(top);
    layout->addWidget(excursionsView);
}

} // namespace Sondrel
