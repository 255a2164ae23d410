// TDownloadProgress: the command-line tool's view of a download: where each read pass stands,
// written to a stream (standard error, beside the log on standard output).
//
// - On a terminal: one line per pass that is rewritten in place after every block, "Pass 1:
//   1234 of 20000 records, 41.3 records/s, 00:06:45 left", and ended when the pass ends.
// - Otherwise (a file, a pipe): a plain line each time the pass passes another tenth of its
//   blocks, so that a log of the run shows progress without a line per block.
// - Quiet: nothing.
//
// Main thread only (the engine calls it); borrows the stream.
#pragma once

#include "DownloadView.h"

#include <cstdint>
#include <ostream>
#include <string>

namespace SondrelCli {

class TDownloadProgress : public Sondrel::TDownloadView {
public:
    enum TStyle : std::uint8_t { psTerminal, psPlain, psQuiet };

    TDownloadProgress(std::ostream& out, TStyle style) : FOut(out), FStyle(style) {}

    void ShowPassProgress(const Sondrel::TPassProgress& progress) override;
    // Ends a progress line that is being rewritten, so that other output starts on a line of
    // its own.
    void BreakLine();

    // "Pass 1: 1234 of 20000 records, 41.3 records/s, 00:06:45 left".
    static std::string Describe(const Sondrel::TPassProgress& progress);

private:
    std::ostream& FOut;
    TStyle FStyle;
    bool FLineOpen = false;
    std::int32_t FPass = 0;
    // The last tenth of the pass written in the plain style.
    std::int32_t FTenths = 0;
};

} // namespace SondrelCli
