#include "TrendsTab.h"

#include "TrendsView.h"

#include <QLayout>
#include <QTabWidget>
#include <QTableView>
#include <QVBoxLayout>

namespace Sondrel {

TTableAndTrends PlaceTrendsBesideTable(QTableView& table, const QString& tabsName,
                                       const QString& trendsName) {
    QWidget* parent = table.parentWidget();
    auto* tabs = new QTabWidget(parent);
    tabs->setObjectName(tabsName);
    tabs->setDocumentMode(true);
    if (parent && parent->layout()) {
        delete parent->layout()->replaceWidget(&table, tabs);
    }
    auto* page = new QWidget;
    page->setObjectName(tabsName + QStringLiteral("Table"));
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(&table);
    tabs->addTab(page, QStringLiteral("Table"));
    auto* trends = new TTrendsView;
    trends->setObjectName(trendsName);
    tabs->addTab(trends, QStringLiteral("Trends"));
    return {tabs, trends};
}

TTrendData RecordListTrend(const TRecordList& list) {
    TTrendDataBuilder builder;
    for (std::int32_t row = 0; row < list.Count(); ++row) {
        builder.Add(list.Item(row), row);
    }
    return builder.Finish();
}

} // namespace Sondrel
