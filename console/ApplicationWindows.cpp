#include "ApplicationWindows.h"

#include "AboutBox.h"
#include "DialogService.h"
#include "deviceSettings.h"

#include "MainThreadBridge.h"

#include <QCoreApplication>
#include <QFont>
#include <QMetaObject>

namespace Sondrel {

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
    bridge.SetWakeHook([] {
        // Called from any thread: the drain runs later on the thread of the application object.
        QMetaObject::invokeMethod(
            QCoreApplication::instance(), [] { Corvane::TMainThreadBridge::Instance().Drain(); },
            Qt::QueuedConnection);
    });
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
