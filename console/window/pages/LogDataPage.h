// TLogDataPage: The "Log Data" tab: the inputs, buttons and progress display of the log download
// (most recent records, or records before or after a date and time, every Interval-th record),
// the port picker of the port check, and the export group (format list and "Export to File").
//
// The controls carry the names the rest of the console uses as their objectNames; Form() gives
// them to the window. The download and the export add their behaviour to these controls; the page
// itself keeps the date selectors and the choice between "most recent" and "by date" in step with
// the operator's edits. Main (GUI) thread only; the controls are children of the page.
#pragma once

#include <QWidget>

class QDateTime;

#include <memory>

namespace Ui {
class TLogDataPage;
}

namespace Sondrel {

class TLogDataPage : public QWidget {
    Q_OBJECT
public:
    explicit TLogDataPage(QWidget* parent = nullptr);
    ~TLogDataPage() override;

    Ui::TLogDataPage& Form() { return *FUi; }

    // The month, day, hour and minute selectors set to the given time.
    void SetDateSelectors(const QDateTime& when);
    // "Now": the selectors set to the current date and time.
    void updateTimeButtonClick();
    // Typing a record count chooses the recent records; changing the date, the time, the count
    // of the date group (one handler for all of them) or "Previous"/"Following" chooses the
    // download by date.
    void recordsEditChange();
    void hourEditChange();
    void prevfollCBChange();
    // The page's share of the window's enableButtons: the download inputs and buttons.
    void enableButtons(bool value);

private:
    std::unique_ptr<Ui::TLogDataPage> FUi;
};

} // namespace Sondrel
