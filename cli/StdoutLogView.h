// The transaction log of the command-line tool: every line on standard output as it is
// written, flushed at once so that a pipe sees progress. Styles have no meaning on a terminal.
// Silent writes nothing (--quiet); BeforeLine runs before each line is written (a progress line
// on the same terminal is ended there).
#pragma once

#include "LogView.h"

#include <cstdio>
#include <functional>

namespace SondrelCli {

class TStdoutLogView : public Sondrel::ILogView {
public:
    bool Silent = false;
    std::function<void()> BeforeLine;

    void AppendLine(const std::string& line, const Sondrel::TLogStyle&) override {
        if (Silent) {
            return;
        }
        if (BeforeLine) {
            BeforeLine();
        }
        std::fwrite(line.data(), 1, line.size(), stdout);
        std::fputc('\n', stdout);
        std::fflush(stdout);
    }
    void Clear() override {}
};

} // namespace SondrelCli
