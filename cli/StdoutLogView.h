// The transaction log of the command-line tool: every line on standard output as it is
// written, flushed at once so that a pipe sees progress. Styles have no meaning on a terminal.
#pragma once

#include "LogView.h"

#include <cstdio>

namespace SondrelCli {

class TStdoutLogView : public Sondrel::ILogView {
public:
    void AppendLine(const std::string& line, const Sondrel::TLogStyle&) override {
        std::fwrite(line.data(), 1, line.size(), stdout);
        std::fputc('\n', stdout);
        std::fflush(stdout);
    }
    void Clear() override {}
};

} // namespace SondrelCli
