// A record table and the trends of the same records as two tabs, "Table" and "Trends", of a
// tab widget that takes the table's place in its layout; and the trend data of the
// download's record list.
//
// The table sits in a page of its own inside the tab widget, so code that shows or hides the
// table (a download shows its list) never shows it over the Trends tab.
//
// Main (GUI) thread only.
#pragma once

#include "RecordList.h"
#include "TrendData.h"

#include <QString>

class QTabWidget;
class QTableView;

namespace Sondrel {

class TTrendsView;

struct TTableAndTrends {
    QTabWidget* Tabs = nullptr;
    TTrendsView* Trends = nullptr;
};

// The table must be in its parent's layout; the tab widget and the view get the given
// objectNames.
TTableAndTrends PlaceTrendsBesideTable(QTableView& table, const QString& tabsName,
                                       const QString& trendsName);

// Every record of the list, row i for the list's item i.
TTrendData RecordListTrend(const TRecordList& list);

} // namespace Sondrel
