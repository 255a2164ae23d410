// The transaction log: time-stamped lines on the screen (through an ILogView) and, when
// LogTransactionsToFile is on, the same lines appended to the log file with CR LF.
//
// Lines read "[hh:nn:ss.zzz] text" in local time; an empty text is an empty line without a
// time stamp. The screen line is always written before the file line. The file is opened for
// each line and closed after it (AcquireTransactionLog / ReleaseTransactionLog, nested by a use
// count), so it is never held open between lines and other programs may read it.
//
// A log file that cannot be opened raises EConsoleFileError naming the path, after the screen
// line was written, with the use count unchanged. The file bytes are exact: a text "abc\r\n"
// gives "[time] abc\r\n\r\n" in the file and the lines "[time] abc" and "" on the screen.
//
// Main thread only (no lock): the client delivers its completions there and the log is only
// ever written there. The view is borrowed and must outlive the log.
#pragma once

#include "LogView.h"

#include <cstdio>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace Sondrel {

struct TLogTime {
    int Hour = 0;
    int Minute = 0;
    int Second = 0;
    int Millisecond = 0;
};

using TLogClock = std::function<TLogTime()>;

// The local time of day now.
TLogTime LocalLogTime();
// "hh:nn:ss.zzz": 24-hour hours, minutes, seconds, milliseconds, zero-padded.
std::string FormatLogTime(const TLogTime& time);

class TTransactionLog {
public:
    explicit TTransactionLog(ILogView& view, TLogClock clock = LocalLogTime);
    ~TTransactionLog();
    TTransactionLog(const TTransactionLog&) = delete;
    TTransactionLog& operator=(const TTransactionLog&) = delete;

    void AddLogLine(std::string_view text);
    // colour: 0 black, 1 red, 2 blue, 3 green, anything else black.
    void AddStyledLogLine(std::string_view text, bool bold, int size, int colour);
    void AddStyledLogLine(std::string_view text, const TLogStyle& style);

    bool LogTransactionsToFile() const { return FLogTransactionsToFile; }
    void SetLogTransactionsToFile(bool value) { FLogTransactionsToFile = value; }
    // "TransactionLog.txt" in the working folder until the window sets its full path.
    const std::filesystem::path& LogFilePath() const { return FLogFilePath; }
    void SetLogFilePath(std::filesystem::path path) { FLogFilePath = std::move(path); }

    // Empties the view; when logging to file, truncates the file to 0 bytes.
    void ClearTransactionLog();

    // The "Log Transactions To File" command: the screen-only notice while still logging to
    // the file, the flag inverted, writeSettings called (the settings file holds the flag),
    // then the both-screen-and-file notice once logging to the file. Returns the new value.
    // An error of writeSettings propagates with the flag already inverted.
    bool ToggleLogTransactionsToFile(const std::function<void()>& writeSettings);

    // Opens the log file at its end unless it is open, and counts one more user.
    void AcquireTransactionLog();
    // Counts one user less (never below 0); closes the file when none is left.
    void ReleaseTransactionLog();
    int TransactionLogUseCount() const { return FTransactionLogUseCount; }
    bool HasTransactionLogStream() const { return FTransactionLogStream != nullptr; }

private:
    struct TFileCloser {
        void operator()(std::FILE* f) const { std::fclose(f); }
    };

    void WriteLine(std::string_view text, const TLogStyle& style);
    void WriteFileLine(std::string_view line);

    ILogView& FView;
    TLogClock FClock;
    bool FLogTransactionsToFile = false;
    std::filesystem::path FLogFilePath = "TransactionLog.txt";
    std::unique_ptr<std::FILE, TFileCloser> FTransactionLogStream;
    int FTransactionLogUseCount = 0;
};

} // namespace Sondrel
