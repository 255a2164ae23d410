#include "ApplicationWindows.h"

#include "AboutBox.h"
#include "DialogService.h"
#include "deviceSettings.h"

#include "MainThreadBridge.h"

#include <QCoreApplication>
#include <QFont>
#include <QMetaObject>

#include <atomic>
#include <chrono>
#include <memory>

namespace Sondrel {

namespace {

// The longest slice of bridge work run in one turn of the event loop (a task already started
// runs to its end).
constexpr std::chrono::milliseconds kDrainSlice{20};

// Queues one drain on the event loop unless one is queued already (any thread). The drain
// runs one slice and queues the next when work is left.
void ScheduleDrain(const std::shared_ptr<std::atomic<bool>>& queued) {
    if (queued->exchange(true)) {
        return;
    }
    const bool posted = QMetaObject::invokeMethod(
        QCoreApplication::instance(),
        [queued] {
            queued->store(false);
            auto& bridge = Corvane::TMainThreadBridge::Instance();
            bridge.Drain(kDrainSlice);
            if (bridge.HasWork()) {
                ScheduleDrain(queued);
            }
        },
        Qt::QueuedConnection);
    if (!posted) {
        queued->store(false);
    }
}

} // namespace

void TApplicationWindows::InstallFontSubstitutes() {
    // Narrow sans-serif faces first: the forms were laid out for narrow fonts.
    const QStringList sans = {QStringLiteral("Liberation Sans"), QStringLiteral("Nimbus Sans"),
                              QStringLiteral("Arial"), QStringLiteral("DejaVu Sans")};
    QFont::insertSubstitutions(QStringLiteral("Verdana"), sans);
    QFont::insertSubstitutions(QStringLiteral("Tahoma"), sans);
}

TApplicationWindows::TApplicationWindows(const TMainFormEnvironment& environment) {
    InstallFontSubstitutes();
    auto& bridge = Corvane::TMainThreadBridge::Instance();
    // Called from any thread: the drain runs later on the thread of the application object.
    bridge.SetWakeHook(
        [queued = std::make_shared<std::atomic<bool>>(false)] { ScheduleDrain(queued); });
    IDialogService* dialogs = environment.Dialogs;
    bridge.SetExceptionHandler([dialogs](const std::exception& e) {
        dialogs->ShowError(QString::fromStdString(e.what()));
    });

    FMainForm = std::make_unique<TCorvaneDemoMainForm>(environment);
    FAboutBox = new TAboutBox(FMainForm.get());
    FDevicePortSettings =
        new TdevicePortSettings(FMainForm->Registry(), *environment.Dialogs, FMainForm.get());
    FMainForm->SetAboutBox(FAboutBox);
    FMainForm->SetDevicePortSettings(FDevicePortSettings);
}

TApplicationWindows::~TApplicationWindows() {
    FMainForm.reset();
    auto& bridge = Corvane::TMainThreadBridge::Instance();
    bridge.SetWakeHook({});
    bridge.SetExceptionHandler({});
    // Work queued for the window's components is dropped by their liveness tokens.
    bridge.Drain();
}

} // namespace Sondrel
