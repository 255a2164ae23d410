// TArchiveController: the archive of the main window: every download of the window kept in it,
// and the Archive tab that shows and exports what it holds.
//
// Downloads: it is the engine's archive (TDownloadArchive). When a download starts it asks the
// instrument who it is (Report Server ID; an instrument that does not answer is named by its
// address and port), writes "Archive: <location>" and the instrument line to the log, and hands
// the download to a TArchiveRecorder over the writer thread (TArchiveWorker), so the window
// never waits for the database. "New records" plans through the same recorder.
//
// The Archive tab (TArchivePage): the archive's instruments, a range of record date-times and
// the records of the range in a record table. The table's model reads pages of the range from
// a read-only connection of the window's own (TArchiveRecordRows), so a range of a million
// records costs the window a few pages; a header click sorts the range in the database. The
// tab is read again when it is shown, after a download ends while it is shown, and with Show;
// an archive that cannot be read shows its error in the count line. Export writes the range
// with the Log Data page's exporters. The tab's Trends view (archiveTrendsView) charts the
// same range, read when the range changes while the view is shown or when it is shown next;
// the limits' marks and excursions use the same read (TableTrend).
//
// The location: --archive or SONDREL_ARCHIVE (the environment's ArchiveLocation), else the
// stored choice "ArchiveFile", else the default file (ArchiveLocation.h). "Archive File..."
// stores a new choice and uses it from then on (not while a download runs).
//
// Main (GUI) thread only. Owned by the window; every part is borrowed and must outlive it. It
// sets itself as the engine's archive and takes itself away when destroyed.
#pragma once

#include "ArchiveLocation.h"
#include "ArchiveRecordRows.h"
#include "ArchiveRecorder.h"
#include "ArchiveStore.h"
#include "ArchiveWorker.h"
#include "DownloadArchive.h"
#include "ExportCommands.h"
#include "ExportHost.h"
#include "TrendData.h"

#include "ModbusClient.h"
#include "ModbusConnection.h"

#include <QObject>

#include <memory>
#include <string>

class QTabWidget;

namespace Sondrel {

class IDialogService;
class TApplicationSettings;
class TArchivePage;
class TDownloadEngine;
class TRecordListModel;
class TTransactionLog;

struct TArchiveParts {
    TDownloadEngine& Engine;
    Corvane::TModbusClient& Client;         // ModbusClient1: asked who the instrument is
    Corvane::TModbusConnection& Connection; // its port and line settings
    TTransactionLog& Log;
    IDialogService& Dialogs;
    TApplicationSettings& Settings; // "ArchiveFile"
    TArchivePage& Page;
    QTabWidget& DataPageControl; // the tab widget the page is a tab of
};

class TArchiveController : public QObject, public TDownloadArchive, public TExportHost {
    Q_OBJECT
public:
    // How long the tab's reads wait for another program's lock before they report it.
    static constexpr std::int32_t ReadBusyTimeoutMs = 250;

    // locationOption: the command line's or the environment's location; empty for none.
    TArchiveController(TArchiveParts parts, const std::string& locationOption, QObject* parent);
    ~TArchiveController() override;

    const TArchiveLocation& Location() const { return FLocation; }
    // Another archive for the downloads and the tab; false (and a message) while a download
    // runs.
    bool SetLocation(const TArchiveLocation& location);

    // The tab read again: the instruments, then the range.
    void Reload();
    // --- handlers
    void showButtonClick();
    void archiveFileButtonClick();
    void archiveExportButtonClick();

    // The rows the tab shows; nothing while the archive cannot be read.
    TArchiveRecordRows* Rows() { return FRows.get(); }
    TRecordListModel* Model() { return FModel.get(); }
    // The tab's read connection; nothing while the archive cannot be read.
    IArchiveStore* Reader() { return FReader.get(); }
    // The instrument and range the tab's edits show, for the report of the range.
    TRecordQuery ShownQuery() const;
    // The records the table shows as trend data, in the table's order (its rows are the
    // table's rows): read a page at a time with the progress on the count line, the window
    // painting meanwhile, and kept until the range, its order or the archive changes or Show
    // is pressed, so that the Trends view and the limits read a range once. Nothing while the
    // archive cannot be read (the count line says why). While it reads, a Reload waits for the
    // read to end: what the read borrows stays in place.
    std::shared_ptr<const TTrendData> TableTrend();
    // The instrument of the window's latest download, once one has started.
    const std::optional<TInstrumentDescription>& LastInstrument() const { return FLastInstrument; }
    // That download, as the report of the Data tab's records shows it.
    const std::optional<TDownloadRecord>& LastDownload() const { return FLastDownload; }

    // --- TDownloadArchive
    void DownloadStarted(TDownloadKind kind, const std::string& request) override;
    void RecordRead(const std::vector<std::uint16_t>& registers) override;
    void DownloadEnded(TDownloadOutcome outcome, std::int64_t recordsReceived) override;
    TNewRecordsWindow PlanNewRecords(std::int32_t current, std::int32_t fallbackCount,
                                     const TBlockReader& read) override;
    std::optional<std::string> TakeFailure() override;

    // --- TExportHost
    void ShowExportError(const std::string& text) override;
    std::optional<std::string> ChooseExportFile(const TSaveDialogParams& params) override;
    void SetExportBusy(bool busy) override;
    void ShowExportProgress(std::int32_t written, std::int32_t total) override;
    void ShowExportDone(const std::string& line) override;

signals:
    // The tab shows another range, instrument or archive (Reload, Show).
    void rangeShown();
    // A download of the window ended (however it ended): its records are all in the list.
    void downloadFinished();

private:
    void OpenWriter();
    void CloseReader();
    void ShowRange();
    void ShowCount();
    bool TabShown() const;
    std::shared_ptr<const TTrendData> RangeTrend();

    TArchiveParts FParts;
    TArchiveLocation FLocation;
    std::unique_ptr<TArchiveWorker> FWorker;
    std::unique_ptr<TArchiveRecorder> FRecorder;
    // The tab's read connection and what is built on it, each borrowing the one before.
    std::unique_ptr<IArchiveStore> FReader;
    std::unique_ptr<TArchiveRecordRows> FRows;
    std::unique_ptr<TRecordListModel> FModel;
    std::unique_ptr<TExportCommands> FExport;
    // The latest TableTrend and the query it was read for.
    struct TTableTrend {
        TRecordQuery Query;
        std::shared_ptr<const TTrendData> Data;
    };
    std::optional<TTableTrend> FTableTrend;
    bool FReadingTrend = false;
    bool FReloadAfterRead = false;
    bool FRangeSet = false;
    std::optional<TInstrumentDescription> FLastInstrument;
    std::optional<TDownloadRecord> FLastDownload;
};

} // namespace Sondrel
