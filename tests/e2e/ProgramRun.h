// ProgramRun: one of our programs (sondrel-cli, sondrel-sim) run to its end as a child
// process, with what it wrote to standard output and standard error and how it ended; and
// the helpers that take its output apart: lines, the transaction log's time stamps, the
// record table.
//
// A plain value; any thread. The child never outlives Run(): one that is still running when
// the time is up is killed and reaped (its status is then -1).
#pragma once

#include "ChildProcess.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

namespace E2eTests {

struct ProgramRun {
    // Exit status, 128 + signal when a signal ended it, -1 when it had to be killed.
    int Status = -1;
    std::string Out;
    std::string Err;

    static ProgramRun Run(const std::vector<std::string>& argv, std::chrono::milliseconds timeout);
    // Waits for a child started elsewhere (with its errors captured) to end.
    static ProgramRun Finish(TestSupport::ChildProcess& child, std::chrono::milliseconds timeout);
};

// The lines of a text, split at LF, each without a trailing CR; no empty last line for a
// text that ends with LF.
std::vector<std::string> Lines(const std::string& text);

// True when the line starts with the log's time stamp "[hh:nn:ss.zzz] " (24-hour clock).
bool HasTimeStamp(const std::string& line);

// The texts of the time-stamped lines of an output, stamps removed, in order.
std::vector<std::string> LogTexts(const std::string& output);

// The values a console command printed: the lines that are neither log lines nor empty.
std::vector<std::string> PrintedValues(const std::string& output);

// True when text is one of the lines.
bool Contains(const std::vector<std::string>& lines, const std::string& text);

// The lines of expected appear among lines in this order (others may stand between them).
::testing::AssertionResult InOrder(const std::vector<std::string>& lines,
                                   const std::vector<std::string>& expected);

// The record table printed after a download: the caption line (starting "Record Index,")
// and every line after it, each split at its commas. Empty when there is no table.
std::vector<std::vector<std::string>> TableRows(const std::string& output);

// The program paths the build gives the tests.
inline const std::string kCliProgram = SONDREL_CLI_PROGRAM;

} // namespace E2eTests
