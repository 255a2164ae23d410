// What the download engine needs from the program around it: the window in the GUI, the
// command line tool in the CLI, a scripted fake in the tests.
//
// The host provides the operator's inputs, the event pump (PumpWait), the transaction log and
// the status text, message boxes and questions, the progress bars and the enabled state of the
// controls. The engine calls it on the main thread only, and may be re-entered from inside
// PumpWait and ProcessEvents: completions (OnSingleRegisterWrite, OnHoldingRegistersRead) and
// the stop button are delivered there. A host must not call the engine's procedures from inside
// its own methods other than those two.
#pragma once

#include "LogView.h" // TLogColour: the transaction log's colours

#include "ModbusTypes.h"

#include <cstdint>
#include <string>

namespace Sondrel {

// The Log Data page's inputs, read once when "Retrieve Data" starts (the controls are disabled
// while a download runs). Texts are taken as typed: the engine checks them.
struct TDownloadInputs {
    std::string RecordsText;        // recordsEdit: number of recent records
    std::string RecentDateText;     // recentDateEdit: number of records around a date and time
    std::string IntervalText;       // intervalEdit: every Interval-th record
    bool RecentChecked = true;      // recentRadioButton; false means dateRadioButton is checked
    std::string MonthText;          // monthEdit 1..12
    std::string DayText;            // dayEdit 1..31
    std::string HourText;           // hourEdit 0..23
    std::string MinuteText;         // minEdit 0..59
    std::int32_t PrevFollIndex = 0; // prevfollCB: 0 "Previous", 1 "Following"
};

// The checked item of the "Date Retrieval Communication Delay" menu.
enum TDelayMenuChoice : std::uint8_t { dmNone, dmFast, dmDefault, dmSlow };

// The two progress bars of the download.
enum TDownloadProgressBar : std::uint8_t {
    pbReceived, // ALProgressBar11: records received as a share of those requested
    pbImported  // ALProgressBar21: the import of the current pass
};

// Message box icons.
enum TBoxIcon : std::uint8_t { biError, biQuestion };

class TDownloadHost {
public:
    virtual ~TDownloadHost() = default;

    // --- inputs
    virtual TDownloadInputs Inputs() = 0;
    // ModbusConnection1's baud rate and the checked delay menu item (UpdateCommunicationDelays).
    virtual Corvane::TBaudRate BaudRate() = 0;
    virtual TDelayMenuChoice DelayMenuChoice() = 0;

    // --- time and events
    // Waits ms milliseconds while processing events (completions, timers, clicks); a
    // non-positive ms returns at once.
    virtual void PumpWait(std::int32_t ms) = 0;
    // Processes pending events once, without waiting.
    virtual void ProcessEvents() = 0;
    // A monotonic millisecond tick for the stopwatch.
    virtual std::int64_t TickMs() = 0;

    // --- transaction log and status text
    // AddLogLine: a plain line; an empty text appends an empty line.
    virtual void AddLogLine(const std::string& text) = 0;
    // AddStyledLogLine: bold or regular, the point size and the colour given.
    virtual void AddStyledLogLine(const std::string& text, bool bold, std::int32_t size,
                                  TLogColour colour) = 0;
    // displayLabel1's text.
    virtual void SetDisplayText(const std::string& text) = 0;

    // --- boxes
    // A modal box with an OK button.
    virtual void ShowMessageBox(TBoxIcon icon, const std::string& text) = 0;
    // A modal Yes/No question; an empty title means the program's own title. noIsDefault makes
    // No the default button. Returns true for Yes.
    virtual bool AskYesNo(const std::string& title, const std::string& text, bool noIsDefault) = 0;

    // --- progress bars: position 0..100, and the text colour (white or black)
    virtual void SetProgress(TDownloadProgressBar bar, std::int32_t position) = 0;
    virtual void SetProgressTextWhite(TDownloadProgressBar bar, bool white) = 0;

    // --- controls
    // enableComponents: the Log Data inputs and buttons, the console's register controls, the
    // firmware page's controls, the menus and the delay/firmware baud submenus take `enabled`,
    // stopButton and stopToolButton the opposite.
    virtual void enableComponents(bool enabled) = 0;
    // EnableExportTabControls: EraseSampleDatafromMemory1, CommunicationDelay1 and
    // FirmwareBaudRate1 take `enabled`, stopButton2 the opposite; exportButton, expButton and
    // exportComboBox take exportReady.
    virtual void EnableExportTabControls(bool enabled, bool exportReady) = 0;
    virtual void SetHourglassCursor(bool hourglass) = 0;
    // The window repainted at once (after "Stopping Download...").
    virtual void RepaintWindow() = 0;
    // transactionTimer, the queue watch's stall counter.
    virtual void SetTransactionTimerEnabled(bool enabled) = 0;
    // The console's ConsoleRegisterAccess flag (cleared when a download starts).
    virtual void SetConsoleRegisterAccess(bool value) = 0;
    // The record list's view brought to the front after the list was cleared.
    virtual void ShowListView() = 0;
    // The list's column header drawn bold and repainted.
    virtual void SetListHeaderBold() = 0;
    virtual void SetRemoveRecordsButtonEnabled(bool enabled) = 0;

    // ReportStep: the line goes to the log and to displayLabel1. A plain step line, or an
    // emphasised one with the given attributes.
    void ReportStep(const std::string& text);
    void ReportStep(const std::string& text, bool bold, std::int32_t size, TLogColour colour);
    // The download's fixed line styles: failures bold 8 red, estimates and completion bold 8
    // green, elapsed time bold 8 blue.
    void ReportFailure(const std::string& text) { ReportStep(text, true, 8, lcRed); }
    void ReportGreen(const std::string& text) { ReportStep(text, true, 8, lcGreen); }
    void ReportBlue(const std::string& text) { ReportStep(text, true, 8, lcBlue); }
};

} // namespace Sondrel
