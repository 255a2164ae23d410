// TApplicationWindows: the program's windows in their creation order (the main window, then
// the About box and the device port settings dialog), and the hand-over of the Modbus
// library's main-thread work to the Qt event loop.
//
// While it exists, the library's main-thread bridge is drained from the event loop (its wake
// hook queues a drain on the application object) and errors that reach the main thread are
// shown through the dialog service. At most one drain is queued at a time, and each runs for
// a short slice: when a worker hands over work faster than the window handles it (a thousand
// queued requests to a quick device), the rest waits for the next turn of the event loop, so
// timers, input and painting go on between the slices. app/main.cpp and the window tests both build
// the program this way.
//
// Main (GUI) thread only; needs a QApplication. Owns the windows (the dialogs are children of
// the main window); borrows the dialog service of the environment.
#pragma once

#include "CorvaneDemoMain.h"

#include <memory>

namespace Sondrel {

class TAboutBox;
class TdevicePortSettings;

class TApplicationWindows {
public:
    explicit TApplicationWindows(const TMainFormEnvironment& environment);
    ~TApplicationWindows();
    TApplicationWindows(const TApplicationWindows&) = delete;
    TApplicationWindows& operator=(const TApplicationWindows&) = delete;

    TCorvaneDemoMainForm& MainForm() { return *FMainForm; }
    TAboutBox& AboutBox() { return *FAboutBox; }
    TdevicePortSettings& DevicePortSettings() { return *FDevicePortSettings; }

    // Fonts of the forms that a system may lack, mapped to ones it has.
    static void InstallFontSubstitutes();

private:
    std::unique_ptr<TCorvaneDemoMainForm> FMainForm;
    TAboutBox* FAboutBox = nullptr;
    TdevicePortSettings* FDevicePortSettings = nullptr;
};

} // namespace Sondrel
