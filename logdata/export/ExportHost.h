// What the export commands need from the window: the error box, the save dialog, the busy
// state with progress and the line that says a file is complete. The window implements it;
// tests answer it in advance.
//
// Threads: main thread.
#pragma once

#include "ExportKind.h"

#include <cstdint>
#include <optional>
#include <string>

namespace Sondrel {

class TExportHost {
public:
    virtual ~TExportHost() = default;

    // An error box with the text.
    virtual void ShowExportError(const std::string& text) = 0;
    // The save dialog; the chosen path, or nothing when the user cancelled.
    virtual std::optional<std::string> ChooseExportFile(const TSaveDialogParams& params) = 0;
    // While an export runs (busy): the wait cursor, the export controls disabled, the
    // export's message shown.
    virtual void SetExportBusy(bool busy) = 0;
    // Rows written of the total, reported now and then while the export runs.
    virtual void ShowExportProgress(std::int32_t written, std::int32_t total) = 0;
    // The file is complete: "Exported N records to PATH." (after the busy state ended).
    virtual void ShowExportDone(const std::string& line) = 0;
};

} // namespace Sondrel
