#include "CliTraffic.h"

#include "TrafficCapture.h"

#include <cstdio>

namespace SondrelCli {

namespace {

void PrintLine(const std::string& line) {
    std::fwrite(line.data(), 1, line.size(), stdout);
    std::fputc('\n', stdout);
}

} // namespace

TCliTraffic::TCliTraffic(Corvane::TModbusConnection& connection, bool trace)
    : FConnection(connection), FTrace(trace) {
    FConnection.FrameTap().SetEnabled(true);
}

void TCliTraffic::Drain() {
    const std::vector<Sondrel::TTrafficRow> rows =
        FAnnotator.Annotate(FConnection.FrameTap().Drain());
    if (rows.empty()) {
        return;
    }
    FStatistics.Add(rows);
    if (FTrace) {
        for (const auto& row : rows) {
            PrintLine("TRACE " + Sondrel::TrafficTextLine(row));
        }
        std::fflush(stdout);
    }
}

void TCliTraffic::PrintStatistics() const {
    PrintLine("Statistics:");
    for (const std::string& line : FStatistics.SummaryLines()) {
        PrintLine("  " + line);
    }
    std::fflush(stdout);
}

} // namespace SondrelCli
