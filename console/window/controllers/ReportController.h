// TReportController: the "Report..." buttons of the Archive tab (the report of the shown
// instrument and range, read from the archive) and of the Data tab (the report of the
// downloaded records, with their download). Each opens a TReportDialog (the groups to chart,
// the PDF file), writes the report with a wait cursor and then says where it went and how many
// pages it has, or why it failed. The limits are the instrument's in the limits file.
//
// Main (GUI) thread only. Every part is borrowed and must outlive it.
#pragma once

#include "ReportContent.h"

#include <QObject>

#include <filesystem>
#include <functional>

class QPushButton;
class QWidget;

namespace Sondrel {

class IDialogService;
class TArchiveController;
class TRecordList;
class TTransactionLog;

struct TReportParts {
    IDialogService& Dialogs;
    TTransactionLog& Log; // a line for every report written
    TArchiveController& Archive;
    const TRecordList& Records; // the Data tab's
    QWidget& Window;            // the dialog's parent
    QPushButton& ArchiveReportButton;
    QPushButton& DataReportButton;
    std::filesystem::path LimitsPath;
};

class TReportController : public QObject {
    Q_OBJECT
public:
    TReportController(TReportParts parts, QObject* parent);

    void archiveReportButtonClick();
    void dataReportButtonClick();

private:
    // The dialog, then the content for its groups, written to its file.
    void Run(const std::function<TReportContent(const std::vector<TSeriesGroup>&)>& content);
    TInstrumentLimits LimitsOf(const std::string& identity) const;

    TReportParts FParts;
};

} // namespace Sondrel
