#include "DownloadProgress.h"

#include <cmath>
#include <cstdio>

namespace SondrelCli {

using Sondrel::TPassProgress;

std::string TDownloadProgress::Describe(const TPassProgress& p) {
    char rate[32] = "-";
    if (p.ElapsedMs > 0 && p.BlocksDone > 0) {
        std::snprintf(rate, sizeof rate, "%.1f", p.BlocksDone * 1000.0 / p.ElapsedMs);
    }
    char left[32] = "--:--:--";
    if (p.SecondsLeft >= 0) {
        const auto s = static_cast<long long>(std::ceil(p.SecondsLeft));
        std::snprintf(left, sizeof left, "%02lld:%02lld:%02lld", s / 3600, s / 60 % 60, s % 60);
    }
    char text[160];
    std::snprintf(text, sizeof text, "Pass %d: %d of %d records, %s records/s, %s left", p.Pass,
                  p.Received, p.Requested, rate, left);
    return text;
}

void TDownloadProgress::ShowPassProgress(const TPassProgress& p) {
    if (FStyle == psQuiet) {
        return;
    }
    if (p.Pass != FPass) {
        BreakLine();
        FPass = p.Pass;
        FTenths = 0;
    }
    const bool passDone = p.BlocksDone >= p.Blocks;
    if (FStyle == psTerminal) {
        // Back to the line's start, the text, and the rest of the old line cleared.
        FOut << '\r' << Describe(p) << "\x1b[K";
        FLineOpen = true;
        if (passDone) {
            BreakLine();
        }
        FOut.flush();
        return;
    }
    const std::int32_t tenths = p.Blocks > 0 ? p.BlocksDone * 10 / p.Blocks : 10;
    if (tenths > FTenths) {
        FTenths = tenths;
        FOut << Describe(p) << '\n';
        FOut.flush();
    }
}

void TDownloadProgress::BreakLine() {
    if (FLineOpen) {
        FOut << '\n';
        FOut.flush();
        FLineOpen = false;
    }
}

} // namespace SondrelCli
