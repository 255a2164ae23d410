// TArchivePage: the "Archive" tab of the data area: the archive file and the button that
// chooses another, the instruments the archive knows, a date-time range, the records of the
// range in a record table (the Data tab's look, sorted by a header click) with their count,
// an export of the range (format list and "Export to File") and its trend report ("Report...").
//
// The page is controls only; TArchiveController gives them their behaviour. The controls carry
// objectNames (archiveFileLabel, archiveFileButton, instrumentComboBox, fromEdit, toEdit,
// showButton, archiveListView, countLabel, archiveExportComboBox, archiveExportButton,
// archiveReportButton; the table and its trends are the tabs of archiveViewTabs, the trends
// archiveTrendsView) for the tests. Main (GUI) thread only; the controls are children of the
// page.
#pragma once

#include <QWidget>

class QComboBox;
class QDateTimeEdit;
class QLabel;
class QPushButton;
class QTableView;
class QTabWidget;

namespace Sondrel {

class TTrendsView;

class TArchivePage : public QWidget {
    Q_OBJECT
public:
    // The date-time form of the range edits, as the archive writes record date-times.
    static constexpr const char* DateTimeFormat = "yyyy-MM-dd HH:mm";

    explicit TArchivePage(QWidget* parent = nullptr);

    QLabel* archiveFileLabel = nullptr;
    QPushButton* archiveFileButton = nullptr;
    QComboBox* instrumentComboBox = nullptr;
    QDateTimeEdit* fromEdit = nullptr;
    QDateTimeEdit* toEdit = nullptr;
    QPushButton* showButton = nullptr;
    QTableView* archiveListView = nullptr;
    QTabWidget* archiveViewTabs = nullptr;
    TTrendsView* archiveTrendsView = nullptr;
    QLabel* countLabel = nullptr;
    QComboBox* archiveExportComboBox = nullptr;
    QPushButton* archiveExportButton = nullptr;
    QPushButton* archiveReportButton = nullptr;
};

} // namespace Sondrel
