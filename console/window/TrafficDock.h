// TTrafficDock: the "Traffic" dock of the main window, the frames of the device connection as
// they crossed the wire. A timer drains the connection's frame tap every 100 ms and appends
// the batch to the table (TTrafficTableModel behind TTrafficFilterModel), so a busy line
// costs the window one model update per tick. Above the table: Pause (frames keep being
// captured and counted, and appear on resume, at most the frame limit of them), Clear, Save
// (CSV or a text capture, chosen by the file's extension in the save dialog), the filters by
// direction, function and status, the frame limit (stored as "TrafficFrameLimit"), and the
// line statistics with their hints and a Reset button. StatisticsChanged carries the same
// text for the status bar's tooltip.
//
// Main (GUI) thread only. Borrows the connection, the dialogs and the settings, which outlive
// it.
#pragma once

#include "LineStatistics.h"
#include "TrafficRow.h"

#include "ModbusConnection.h"

#include <QDockWidget>

#include <deque>

class QAbstractItemModel;
class QComboBox;
class QLabel;
class QPushButton;
class QSpinBox;
class QTableView;
class QTimer;

namespace Sondrel {

class IDialogService;
class TApplicationSettings;
class TTrafficFilterModel;
class TTrafficTableModel;

class TTrafficDock : public QDockWidget {
    Q_OBJECT
public:
    static constexpr int DrainIntervalMs = 100;

    TTrafficDock(Corvane::TModbusConnection& connection, IDialogService& dialogs,
                 TApplicationSettings& settings, QWidget* parent = nullptr);
    ~TTrafficDock() override;

    // The timer's work: takes what the worker captured and shows it.
    void DrainNow();
    void SetPaused(bool paused);
    void ClearClick();
    void SaveClick();
    void ResetStatisticsClick();

    TTrafficTableModel& Model() { return *FModel; }
    TTrafficFilterModel& Filter() { return *FFilter; }
    const TLineStatistics& Statistics() const { return FStatistics; }
    // The statistics and hints as shown, one per line.
    QString StatisticsText() const;

    QTableView* Table = nullptr;
    QPushButton* PauseButton = nullptr;
    QPushButton* ClearButton = nullptr;
    QPushButton* SaveButton = nullptr;
    QPushButton* ResetButton = nullptr;
    QComboBox* DirectionFilter = nullptr;
    QComboBox* FunctionFilter = nullptr;
    QComboBox* StatusFilter = nullptr;
    QSpinBox* LimitSpin = nullptr;
    QLabel* StatisticsLabel = nullptr;
    QTimer* DrainTimer = nullptr;

signals:
    void StatisticsChanged(const QString& text);

private:
    void BuildWidgets();
    void ShowModel(QAbstractItemModel* model);
    void ApplyFilters();
    void LimitChanged(int frames);
    void ShowStatistics();

    Corvane::TModbusConnection& FConnection;
    IDialogService& FDialogs;
    TApplicationSettings& FSettings;
    TTrafficTableModel* FModel = nullptr;
    TTrafficFilterModel* FFilter = nullptr;
    TTrafficAnnotator FAnnotator;
    TLineStatistics FStatistics;
    bool FPaused = false;
    // Rows captured while paused, at most the frame limit.
    std::deque<TTrafficRow> FHeld;
};

} // namespace Sondrel
