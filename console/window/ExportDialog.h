// The save dialog of an export (TExportHost::ChooseExportFile) through the dialog service: the
// export kind's title, filter, extension and proposed file name, starting in the folder given
// (the one used last) when it is set, else in the current folder. The Log Data
// page's export and the Archive tab's share it.
//
// Main (GUI) thread only.
#pragma once

#include "DialogService.h"

#include "ExportKind.h"

#include <QString>

#include <optional>
#include <string>

namespace Sondrel {

// The chosen path, or nothing when the operator cancelled.
std::optional<std::string> ChooseExportFile(IDialogService& dialogs,
                                            const TSaveDialogParams& params,
                                            const QString& folder = {});

} // namespace Sondrel
