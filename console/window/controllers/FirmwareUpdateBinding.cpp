#include "FirmwareUpdateBinding.h"

#include "DialogService.h"
#include "FileDialogFilter.h"
#include "FirmwarePage.h"
#include "PumpWait.h"
#include "TransactionLog.h"
#include "ui_FirmwarePage.h"

#include "PlatformPortNames.h"

#include "FirmwarePaths.h"

#include "CorvaneError.h"

#include <stdexcept>

namespace Sondrel {

namespace {

QString ToQString(const std::string& text) {
    return QString::fromStdString(text);
}

// The tool's output as a log line: control characters (progress carriage returns, escape
// sequences) are dropped, tabs kept.
std::string PrintableLine(const std::string& line) {
    std::string printable;
    printable.reserve(line.size());
    for (const char c : line) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 || c == '\t') {
            printable += c;
        }
    }
    return printable;
}

} // namespace

TFirmwareUpdateBinding::TFirmwareUpdateBinding(TFirmwareUpdateParts parts)
    : FParts(std::move(parts)), FUpdater(*this, FParts.ProgramFolder) {}

TFirmwareUpdateBinding::~TFirmwareUpdateBinding() {
    Cancel();
}

void TFirmwareUpdateBinding::Browse() {
    const std::string dir = FirmwareBrowseDirectoryHere(FParts.ProgramFolder);
    TFileDialogOptions options;
    options.Title = QStringLiteral("Open");
    options.Directory = ToQString(dir);
    options.FileName = ToQString(FirmwareBrowseFileName(dir));
    options.Filter = ToQString(QtFileFilter(HexFileFilter));
    options.DefaultSuffix = QStringLiteral("hex");
    const QString chosen = FParts.Dialogs.GetOpenFileName(options);
    if (!chosen.isEmpty()) {
        CheckHexFileName(chosen);
    }
}

bool TFirmwareUpdateBinding::CheckHexFileName(const QString& path) {
    return FUpdater.CheckHexFileName(path.toStdString());
}

void TFirmwareUpdateBinding::Start(TFirmwareBaud baud) {
    if (FBusy) {
        return;
    }
    auto& page = FParts.Page;
    auto& form = page.Form();
    const bool enabled = form.startUpdateButton->isEnabled();
    FBusy = true;
    page.EnableFirmwareControls(false);
    FLogError.clear();
    try {
        FUpdater.Start(form.ComComboBox1->currentText().toStdString(),
                       form.hexEdit->text().toStdString(), baud);
    } catch (...) {
        // The updater reports its own failures; whatever escapes it still frees the page.
        page.EnableFirmwareControls(enabled);
        FBusy = false;
        throw;
    }
    page.EnableFirmwareControls(enabled);
    FBusy = false;
    if (!FLogError.empty()) {
        FParts.Dialogs.ShowError(ToQString(FLogError));
    }
}

void TFirmwareUpdateBinding::Cancel() {
    FRunner.Cancel();
}

bool TFirmwareUpdateBinding::IsMainConnectionOpenOn(const std::string& port) {
    return FParts.MainConnection.Active() && SameSerialPort(FParts.MainConnection.Port(), port);
}

void TFirmwareUpdateBinding::DisconnectMainConnection() {
    FParts.Disconnect();
}

bool TFirmwareUpdateBinding::TryOpenPort(const std::string& port) {
    auto& connection = FParts.TestConnection;
    try {
        connection.SetPort(port);
        connection.SetActive(true);
    } catch (const Corvane::ECorvaneError&) {
        // A port that is missing, busy or refused is unavailable; other errors go to the
        // updater's "failed" box.
        return false;
    }
    const bool opened = connection.Active();
    if (opened) {
        connection.SetActive(false);
    }
    return opened;
}

bool TFirmwareUpdateBinding::AskYesNo(const std::string& text) {
    return FParts.Dialogs.AskYesNo(QString(), ToQString(text), false);
}

void TFirmwareUpdateBinding::ShowError(const std::string& text) {
    FParts.Dialogs.ShowError(ToQString(text));
}

void TFirmwareUpdateBinding::ShowInfo(const std::string& text) {
    FParts.Dialogs.ShowInformation(QString(), ToQString(text));
}

void TFirmwareUpdateBinding::SetHexFileText(const std::string& text) {
    FParts.Page.Form().hexEdit->setText(ToQString(text));
}

void TFirmwareUpdateBinding::PumpWait(int ms) {
    Sondrel::PumpWait(ms);
}

TScriptRunOutcome TFirmwareUpdateBinding::RunAndWait(const std::string& scriptPath) {
    const TScriptRunResult result =
        FRunner.Run(scriptPath, [this](const std::string& line) { LogToolLine(line); });
    switch (result.Status) {
    case srFailedToStart:
        throw std::runtime_error(result.Error);
    case srCancelled:
        return roCancelled;
    default:
        LogRunEnd(result);
        return roCompleted;
    }
}

void TFirmwareUpdateBinding::LogToolLine(const std::string& line) {
    try {
        FParts.Log.AddLogLine(PrintableLine(line));
    } catch (const std::exception& e) {
        // The line is on screen; the log file could not take it.
        if (FLogError.empty()) {
            FLogError = e.what();
        }
    }
}

void TFirmwareUpdateBinding::LogRunEnd(const TScriptRunResult& result) {
    try {
        if (result.Status == srFinished && result.ExitCode == 0) {
            FParts.Log.AddStyledLogLine("Firmware update: the programming tool reported success.",
                                        TLogStyle{false, 7, lcGreen});
        } else if (result.Status == srFinished) {
            FParts.Log.AddStyledLogLine("** FIRMWARE UPDATE FAILED ** The programming tool ended "
                                        "with exit status " +
                                            std::to_string(result.ExitCode) +
                                            ". See its output above.",
                                        kFailureLogStyle);
        } else {
            FParts.Log.AddStyledLogLine(
                "** FIRMWARE UPDATE FAILED ** The programming tool stopped unexpectedly. " +
                    result.Error,
                kFailureLogStyle);
        }
    } catch (const std::exception& e) {
        if (FLogError.empty()) {
            FLogError = e.what();
        }
    }
}

} // namespace Sondrel
