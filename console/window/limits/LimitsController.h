// TLimitsController: the limits and excursions of one tab's records (the Data tab's download,
// the Archive tab's range), in its TExcursionsPanel.
//
// On Refresh (the rows changed, the limits changed) it asks its source whose records the tab
// shows and reads that instrument's limits from the limits file (TLimitsFile), marks the
// records beyond a limit in the record table's model (the worst kind over every series:
// RowMarksOf), lists the excursions (FindExcursions) with their acknowledgements from the
// archive, and announces the limits (limitsChanged, for the chart). "Limits..." edits them in
// a TLimitsDialog and saves them; "Acknowledge..." asks who and why (TAcknowledgeDialog) and
// stores the acknowledgement through a short-lived writable connection to the archive, on
// this thread. Double-clicking an excursion selects its first record in the table.
//
// A read of the archive that fails leaves the excursions without acknowledgements and says so
// in the status line; a limits file that cannot be written is shown as an error. The source's
// read of the records may keep the window painting; a Refresh asked for during it runs after
// it, never inside it.
//
// Main (GUI) thread only. Borrows the panel and the source's parts, which outlive it.
#pragma once

#include "ArchiveLocation.h"
#include "Excursions.h"
#include "RecordListModel.h"
#include "TrendData.h"
#include "TrendLimits.h"

#include <QMetaObject>
#include <QObject>
#include <QPointer>

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QTableView;

namespace Sondrel {

class IDialogService;
class TExcursionsPanel;
struct TExcursionAck;

// The instrument whose records a tab shows.
struct TLimitsSubject {
    std::string Identity;                     // the archive's identity: the key of its limits
    QString Name;                             // for the status line and the dialogs
    std::optional<std::int64_t> InstrumentId; // in the archive, when it is there
};

struct TLimitsSource {
    // The instrument, or nothing with the reason in `why`.
    std::function<std::optional<TLimitsSubject>(QString& why)> Subject;
    // The records shown, as trend data whose rows are the model's list rows; nothing for none.
    // Shared, so that a tab's Trends view and its limits may hold one read.
    std::function<std::shared_ptr<const TTrendData>()> Data;
    std::function<TRecordListModel*()> Model;
    QTableView* View = nullptr;
    // The archive of the acknowledgements; nothing without one.
    std::function<std::optional<TArchiveLocation>()> Archive;
};

// The mark of every list row (rowCount of them) by the worst limit its record is beyond.
std::vector<TRowMark> RowMarksOf(const TTrendData& data, const TInstrumentLimits& limits,
                                 std::int32_t rowCount);

class TLimitsController : public QObject {
    Q_OBJECT
public:
    TLimitsController(TExcursionsPanel& panel, TLimitsSource source, IDialogService& dialogs,
                      std::filesystem::path limitsFile, QObject* parent);

    void Refresh();
    // A Refresh after the events now pending (a model reset in the middle of its signals).
    void ScheduleRefresh();

    // --- handlers
    void limitsButtonClick();
    void acknowledgeButtonClick();
    void excursionsViewDoubleClick(int row);

    const std::vector<TExcursion>& Excursions() const { return FExcursions; }
    const TInstrumentLimits& Limits() const { return FLimits; }

signals:
    // The limits of the instrument shown (none set when there is none). The chart shows them
    // (TTrendsView::SetLimits).
    void limitsChanged(const Sondrel::TInstrumentLimits& limits);
    // The limits file was written: other tabs show the same instruments.
    void limitsSaved();

private:
    // What Refresh does, once at a time.
    void Update();
    void WatchModel();
    void ShowExcursions(const std::vector<TExcursionAck>& acks);
    void EnableAcknowledge();
    QString ExcursionText(const TExcursion& excursion) const;

    TExcursionsPanel& FPanel;
    TLimitsSource FSource;
    IDialogService& FDialogs;
    std::filesystem::path FLimitsFile;
    std::optional<TLimitsSubject> FSubject;
    TInstrumentLimits FLimits;
    std::shared_ptr<const TTrendData> FData = std::make_shared<const TTrendData>(); // never null
    std::vector<TExcursion> FExcursions;
    QPointer<TRecordListModel> FWatched;
    QMetaObject::Connection FWatch;
    bool FRefreshPending = false;
    bool FRefreshing = false;
    bool FRefreshAgain = false;
};

} // namespace Sondrel
