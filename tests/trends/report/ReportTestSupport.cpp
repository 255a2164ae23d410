#include "ReportTestSupport.h"

#include "LimitsFile.h"
#include "OpenArchive.h"
#include "TrendTestSupport.h"

#include <array>
#include <cctype>
#include <cstdio>
#include <memory>
#include <sys/wait.h>

namespace ReportTest {

using namespace Sondrel;

TInstrumentLimits Limits() {
    TInstrumentLimits limits;
    limits.Of(TTrendSeries::Counts1).Set(TLimitKind::AlertHigh, 100);
    limits.Of(TTrendSeries::Counts1).Set(TLimitKind::ActionHigh, 150);
    limits.Of(TTrendSeries::FlowRate).Set(TLimitKind::AlertLow, 29);
    return limits;
}

void WriteArchive(const std::string& archivePath, const std::string& instrumentName) {
    const auto store = OpenArchive(*ParseArchiveLocation(archivePath));
    const std::int64_t instrument =
        store->EnsureInstrument({kIdentity, instrumentName, "5245504f52542d31", "/dev/ttyUSB7", 4});
    TDownloadRecord download;
    download.InstrumentId = instrument;
    download.Kind = kDownloadWhole;
    download.Request = "whole log";
    download.StartedAt = "2024-01-02T08:00:00Z";
    download.UserName = "tester";
    download.HostName = "bench-host";
    const std::int64_t downloadId = store->BeginDownload(download);
    std::vector<TArchivedRecord> records;
    for (int n = 0; n < kRecords; ++n) {
        TrendTest::TSample sample;
        sample.Minutes = TrendTest::Base() + 10 * n;
        sample.Counts1 = static_cast<std::uint32_t>(5 * n);
        sample.FlowRate = static_cast<std::uint16_t>(28 + n % 3);
        records.push_back({n, TrendTest::Block(sample, n), "2024-01-02T08:00:30Z"});
    }
    store->AddRecords(instrument, downloadId, records);
    store->EndDownload(downloadId, "2024-01-02T08:01:00Z", kOutcomeComplete, kRecords);
    store->AcknowledgeExcursion({instrument, "counts1", "alert high", "2024-01-01 03:30", "tester",
                                 "2024-01-02T09:00:00Z", kAckComment});
}

void Acknowledge(const std::string& archivePath, const std::string& by,
                 const std::string& comment) {
    const auto store = OpenArchive(*ParseArchiveLocation(archivePath));
    store->AcknowledgeExcursion({store->Instruments().at(0).Id, "counts1", "action high",
                                 "2024-01-01 05:10", by, "2024-01-02T10:00:00Z", comment});
}

void AddOtherInstrument(const std::string& archivePath) {
    const auto store = OpenArchive(*ParseArchiveLocation(archivePath));
    const std::int64_t instrument =
        store->EnsureInstrument({"name other", "other", "", "/dev/ttyUSB8", 1});
    TDownloadRecord download;
    download.InstrumentId = instrument;
    download.Kind = kDownloadRecent;
    download.StartedAt = "2024-01-03T08:00:00Z";
    TrendTest::TSample sample;
    sample.Minutes = TrendTest::Base();
    store->AddRecords(instrument, store->BeginDownload(download),
                      {{0, TrendTest::Block(sample, 0), "2024-01-03T08:00:30Z"}});
}

void WriteLimits(const std::string& limitsPath) {
    TLimitsFile(limitsPath).Write(kIdentity, Limits());
}

TCommandResult Shell(const std::string& command) {
    TCommandResult result;
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
    if (!pipe) {
        return result;
    }
    std::array<char, 4096> buffer{};
    std::size_t read = 0;
    while ((read = std::fread(buffer.data(), 1, buffer.size(), pipe.get())) > 0) {
        result.Out.append(buffer.data(), read);
    }
    const int status = pclose(pipe.release());
    result.Status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

std::string Quoted(const std::string& text) {
    std::string quoted = "'";
    for (char c : text) {
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return quoted + "'";
}

int PdfPages(const std::string& pdf) {
    const TCommandResult info = Shell("pdfinfo " + Quoted(pdf) + " 2>/dev/null");
    const std::size_t at = info.Out.find("Pages:");
    if (info.Status != 0 || at == std::string::npos) {
        return -1;
    }
    return std::stoi(info.Out.substr(at + 6));
}

std::string PdfText(const std::string& pdf) {
    const TCommandResult text = Shell("pdftotext -layout " + Quoted(pdf) + " - 2>/dev/null");
    std::string out = text.Out;
    // A no-break space (U+00A0) is a space too.
    for (std::size_t at = out.find("\xC2\xA0"); at != std::string::npos;
         at = out.find("\xC2\xA0", at)) {
        out.replace(at, 2, " ");
    }
    std::string collapsed;
    for (char c : out) {
        if (std::isspace(static_cast<unsigned char>(c))) {
            if (!collapsed.empty() && collapsed.back() != ' ') {
                collapsed += ' ';
            }
        } else {
            collapsed += c;
        }
    }
    return collapsed;
}

} // namespace ReportTest
