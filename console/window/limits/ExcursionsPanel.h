// TExcursionsPanel: the limits and excursions of the records a tab shows, under its record
// table: "Limits..." (the instrument's limits), a status line (whose limits, how many
// excursions, or why there are none), the excursions (start, end, series, peak, limit kind,
// limit, who acknowledged it, when, the comment) and "Acknowledge...".
//
// Controls only; TLimitsController gives them their behaviour. objectNames for the tests:
// limitsButton, limitsStatusLabel, excursionsView, acknowledgeButton. Main (GUI) thread only.
#pragma once

#include <QWidget>

class QLabel;
class QPushButton;
class QTableWidget;

namespace Sondrel {

class TExcursionsPanel : public QWidget {
    Q_OBJECT
public:
    enum TColumn {
        StartColumn,
        EndColumn,
        SeriesColumn,
        PeakColumn,
        KindColumn,
        LimitColumn,
        ByColumn,
        AtColumn,
        CommentColumn,
        ColumnCount
    };

    explicit TExcursionsPanel(QWidget* parent = nullptr);

    QPushButton* limitsButton = nullptr;
    QLabel* limitsStatusLabel = nullptr;
    QTableWidget* excursionsView = nullptr;
    QPushButton* acknowledgeButton = nullptr;
};

} // namespace Sondrel
