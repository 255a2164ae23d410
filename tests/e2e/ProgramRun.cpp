#include "ProgramRun.h"

#include "TempFolder.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>

namespace E2eTests {

namespace {

// The programs that the tests run keep their data (the download archive) in a folder of the
// test run's own, never in the user's: they inherit this process's environment.
struct TPrivateDataFolder {
    TPrivateDataFolder() {
        setenv("XDG_DATA_HOME", (Folder / "data").c_str(), 1);
        unsetenv("SONDREL_ARCHIVE");
    }
    TempFolder Folder;
};
const TPrivateDataFolder kPrivateDataFolder;

} // namespace

ProgramRun ProgramRun::Run(const std::vector<std::string>& argv,
                           std::chrono::milliseconds timeout) {
    TestSupport::ChildProcess child(argv, TestSupport::ChildProcess::ErrorOutput::Capture);
    return Finish(child, timeout);
}

ProgramRun ProgramRun::Finish(TestSupport::ChildProcess& child, std::chrono::milliseconds timeout) {
    ProgramRun run;
    run.Status = child.Wait(timeout);
    if (run.Status < 0) {
        child.Stop(std::chrono::milliseconds(0));
        run.Status = -1;
    }
    run.Out = child.Output();
    run.Err = child.Errors();
    return run;
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t from = 0;
    while (from < text.size()) {
        std::size_t eol = text.find('\n', from);
        if (eol == std::string::npos) {
            eol = text.size();
        }
        std::string line = text.substr(from, eol - from);
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        lines.push_back(std::move(line));
        from = eol + 1;
    }
    return lines;
}

bool HasTimeStamp(const std::string& line) {
    // "[hh:nn:ss.zzz] ": digits where the pattern has 9, the separators as they stand.
    static const std::string pattern = "[99:99:99.999] ";
    if (line.size() < pattern.size()) {
        return false;
    }
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        const bool digit = std::isdigit(static_cast<unsigned char>(line[i])) != 0;
        if (pattern[i] == '9' ? !digit : line[i] != pattern[i]) {
            return false;
        }
    }
    const int hours = std::stoi(line.substr(1, 2));
    const int minutes = std::stoi(line.substr(4, 2));
    const int seconds = std::stoi(line.substr(7, 2));
    return hours < 24 && minutes < 60 && seconds < 60;
}

std::vector<std::string> PrintedValues(const std::string& output) {
    std::vector<std::string> values;
    for (const std::string& line : Lines(output)) {
        if (!line.empty() && !HasTimeStamp(line)) {
            values.push_back(line);
        }
    }
    return values;
}

std::vector<std::string> LogTexts(const std::string& output) {
    std::vector<std::string> texts;
    for (const std::string& line : Lines(output)) {
        if (HasTimeStamp(line)) {
            texts.push_back(line.substr(15));
        }
    }
    return texts;
}

bool Contains(const std::vector<std::string>& lines, const std::string& text) {
    return std::find(lines.begin(), lines.end(), text) != lines.end();
}

::testing::AssertionResult InOrder(const std::vector<std::string>& lines,
                                   const std::vector<std::string>& expected) {
    auto at = lines.begin();
    for (const std::string& text : expected) {
        at = std::find(at, lines.end(), text);
        if (at == lines.end()) {
            std::string all;
            for (const std::string& line : lines) {
                all += "\n  " + line;
            }
            return ::testing::AssertionFailure()
                   << "\"" << text << "\" missing or out of order in:" << all;
        }
        ++at;
    }
    return ::testing::AssertionSuccess();
}

std::vector<std::vector<std::string>> TableRows(const std::string& output) {
    std::vector<std::vector<std::string>> rows;
    bool inTable = false;
    for (const std::string& line : Lines(output)) {
        inTable = inTable || line.rfind("Record Index,", 0) == 0;
        if (!inTable) {
            continue;
        }
        std::vector<std::string> cells;
        std::size_t from = 0;
        for (std::size_t comma; (comma = line.find(',', from)) != std::string::npos;
             from = comma + 1) {
            cells.push_back(line.substr(from, comma - from));
        }
        cells.push_back(line.substr(from));
        rows.push_back(std::move(cells));
    }
    return rows;
}

} // namespace E2eTests
