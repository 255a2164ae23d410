// What the download engine needs from the program around it: the window in the GUI, the
// command line tool in the CLI, a scripted fake in the tests.
//
// The host provides the operator's inputs, the event pump (PumpWait), the transaction log,
// message boxes and questions. What the download shows besides (the status text, the progress
// bars, the enabled state of the controls) is its view, TDownloadView, which only the window
// has. The engine calls the host on the main thread only, and may be re-entered from inside
// PumpWait and ProcessEvents: completions (OnSingleRegisterWrite, OnHoldingRegistersRead) and
// the stop button are delivered there. A host must not call the engine's procedures from inside
// its own methods other than those two.
#pragma once

#include "ModbusTypes.h"

#include <cstdint>
#include <functional>
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

// The checked item of the "Date Retrieval Communication Delay" menu. dmLine ("Line Speed"):
// every wait after a request ends as soon as that request's outcome is known.
enum TDelayMenuChoice : std::uint8_t { dmNone, dmFast, dmDefault, dmSlow, dmLine };

// Message box icons.
enum TBoxIcon : std::uint8_t { biError, biQuestion };

// What a line of the download's log says; each host writes it in a style of its own (the
// window: failures bold 8 points red, estimates and the completion bold 8 green, the elapsed
// time bold 8 blue, the current record bold 8 black, every other line plain).
enum TDownloadStepKind : std::uint8_t {
    skPlain,     // a step of the procedure, or an empty line
    skBold,      // an emphasised step: the current record
    skFailure,   // a step that failed, or the download's failure
    skEstimate,  // the estimated duration
    skElapsed,   // the elapsed time
    skCompletion // the download finished
};

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
    // Waits at most ms milliseconds while processing events, as PumpWait does, and returns as
    // soon as done() holds (looked at before the wait and after the events it processes, such
    // as the completion of the request it waits for); a non-positive ms returns at once.
    virtual void PumpWaitUntil(const std::function<bool()>& done, std::int32_t ms) = 0;
    // Processes pending events once, without waiting.
    virtual void ProcessEvents() = 0;
    // A monotonic millisecond tick for the stopwatch.
    virtual std::int64_t TickMs() = 0;

    // --- transaction log
    // One line of the given kind; an empty text appends an empty line.
    virtual void LogStep(TDownloadStepKind kind, const std::string& text) = 0;

    // --- boxes
    // A modal box with an OK button.
    virtual void ShowMessageBox(TBoxIcon icon, const std::string& text) = 0;
    // A modal Yes/No question; an empty title means the program's own title. noIsDefault makes
    // No the default button. Returns true for Yes.
    virtual bool AskYesNo(const std::string& title, const std::string& text, bool noIsDefault) = 0;
};

} // namespace Sondrel
