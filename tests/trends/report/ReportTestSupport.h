// Helpers of the report tests: a SQLite archive of one instrument with records of known values
// and a limits file for it, and what poppler's tools read of a PDF.
#pragma once

#include "TrendLimits.h"

#include <cstdint>
#include <string>
#include <vector>

namespace ReportTest {

// The archive's records: record n (0..kRecords-1) at 2024-01-01 00:00 + 10 n minutes, with
// counts 1 = 5 n and a flow rate of 28 + n % 3.
inline constexpr int kRecords = 40;
inline constexpr const char* kIdentity = "server id 01:REPORT-1";

// Counts 1 above 100 (alert) and 150 (action); flow rate below 29 (alert).
Sondrel::TInstrumentLimits Limits();

inline constexpr const char* kAckComment = "Door left open during cleaning & checked";

// Writes the archive: one download (by "tester" on "bench-host") and the acknowledgement of
// the alert excursion of counts 1 (by "tester", kAckComment).
void WriteArchive(const std::string& archivePath, const std::string& instrumentName);
// Acknowledges the action excursion of counts 1 (which WriteArchive leaves unacknowledged).
void Acknowledge(const std::string& archivePath, const std::string& by, const std::string& comment);
// A second instrument with a few records, so that the archive holds two.
void AddOtherInstrument(const std::string& archivePath);
void WriteLimits(const std::string& limitsPath);

struct TCommandResult {
    int Status = -1;
    std::string Out;
};
// Runs a shell command line, its standard output captured.
TCommandResult Shell(const std::string& command);
std::string Quoted(const std::string& text);
// The page count pdfinfo reports; -1 when it fails.
int PdfPages(const std::string& pdf);
// pdftotext's text of the whole file, every run of white space one space.
std::string PdfText(const std::string& pdf);

} // namespace ReportTest
