#include "TransactionLog.h"

#include "ConsoleFileError.h"
#include "FileContents.h"

#include "LocalTime.h"

#include <cerrno>
#include <chrono>
#include <ctime>
#include <system_error>

namespace Sondrel {

namespace {

constexpr std::string_view kScreenOnlyNotice =
    "*** Transactions are now being logged to screen only.";
constexpr std::string_view kScreenAndFileNotice =
    "*** Transactions are now being logged to both screen and file.";

std::string ErrnoText(int error) {
    return std::generic_category().message(error != 0 ? error : EIO);
}

} // namespace

TLogTime LocalLogTime() {
    const auto now = std::chrono::system_clock::now();
    const auto seconds = std::chrono::floor<std::chrono::seconds>(now);
    const auto millis =
        std::chrono::duration_cast<std::chrono::milliseconds>(now - seconds).count();
    const std::tm tm = Corvane::LocalTimeOf(std::chrono::system_clock::to_time_t(seconds));
    return TLogTime{tm.tm_hour, tm.tm_min, tm.tm_sec, static_cast<int>(millis)};
}

std::string FormatLogTime(const TLogTime& time) {
    char text[32];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d.%03d", time.Hour, time.Minute, time.Second,
                  time.Millisecond);
    return text;
}

TTransactionLog::TTransactionLog(ILogView& view, TLogClock clock)
    : FView(view), FClock(clock ? std::move(clock) : TLogClock(LocalLogTime)) {}

TTransactionLog::~TTransactionLog() = default;

void TTransactionLog::AddLogLine(std::string_view text) {
    WriteLine(text, kDefaultLogStyle);
}

void TTransactionLog::AddStyledLogLine(std::string_view text, bool bold, int size, int colour) {
    WriteLine(text, TLogStyle{bold, size, LogColourFromCode(colour)});
}

void TTransactionLog::AddStyledLogLine(std::string_view text, const TLogStyle& style) {
    WriteLine(text, style);
}

void TTransactionLog::WriteLine(std::string_view text, const TLogStyle& style) {
    std::string line;
    if (!text.empty()) {
        line = "[" + FormatLogTime(FClock()) + "] ";
        line += text;
    }
    // Each line break of the text starts a new screen line: CR LF, LF or a lone CR.
    std::size_t start = 0;
    for (std::size_t i = 0; i < line.size(); ++i) {
        if (line[i] == '\r' || line[i] == '\n') {
            FView.AppendLine(line.substr(start, i - start), style);
            if (line[i] == '\r' && i + 1 < line.size() && line[i + 1] == '\n') {
                ++i;
            }
            start = i + 1;
        }
    }
    FView.AppendLine(line.substr(start), style);

    if (FLogTransactionsToFile) {
        WriteFileLine(line);
    }
}

void TTransactionLog::WriteFileLine(std::string_view line) {
    AcquireTransactionLog();
    errno = 0;
    bool written = line.empty() || std::fwrite(line.data(), 1, line.size(),
                                               FTransactionLogStream.get()) == line.size();
    written = written && std::fwrite("\r\n", 1, 2, FTransactionLogStream.get()) == 2;
    written = std::fflush(FTransactionLogStream.get()) == 0 && written;
    const int error = errno;
    ReleaseTransactionLog();
    if (!written) {
        throw EConsoleFileError(FLogFilePath, CannotWriteText(FLogFilePath, ErrnoText(error)));
    }
}

void TTransactionLog::AcquireTransactionLog() {
    if (!FTransactionLogStream) {
        // Append mode: every write goes to the end of the file, which is created if missing.
        errno = 0;
        FTransactionLogStream.reset(std::fopen(FLogFilePath.string().c_str(), "ab"));
        if (!FTransactionLogStream) {
            throw EConsoleFileError(FLogFilePath, CannotWriteText(FLogFilePath, ErrnoText(errno)));
        }
    }
    ++FTransactionLogUseCount;
}

void TTransactionLog::ReleaseTransactionLog() {
    if (FTransactionLogUseCount > 0) {
        --FTransactionLogUseCount;
    }
    if (FTransactionLogUseCount == 0) {
        FTransactionLogStream.reset();
    }
}

void TTransactionLog::ClearTransactionLog() {
    FView.Clear();
    if (!FLogTransactionsToFile) {
        return;
    }
    AcquireTransactionLog();
    std::fflush(FTransactionLogStream.get());
    std::error_code ec;
    std::filesystem::resize_file(FLogFilePath, 0, ec);
    ReleaseTransactionLog();
    if (ec) {
        throw EConsoleFileError(FLogFilePath, CannotWriteText(FLogFilePath, ec.message()));
    }
}

bool TTransactionLog::ToggleLogTransactionsToFile(const std::function<void()>& writeSettings) {
    if (FLogTransactionsToFile) {
        AddLogLine("");
        AddLogLine(kScreenOnlyNotice);
        AddLogLine("");
    }
    FLogTransactionsToFile = !FLogTransactionsToFile;
    if (writeSettings) {
        writeSettings();
    }
    if (FLogTransactionsToFile) {
        AddLogLine("");
        AddLogLine(kScreenAndFileNotice);
        AddLogLine("");
    }
    return FLogTransactionsToFile;
}

} // namespace Sondrel
