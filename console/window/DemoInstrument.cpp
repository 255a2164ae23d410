#include "DemoInstrument.h"

#include "CorvaneDemoMain.h"
#include "DemoTexts.h"
#include "DownloadController.h"
#include "PortSettings.h"
#include "ui_CorvaneDemoMain.h"

namespace Sondrel {

void UseDemoInstrument(TCorvaneDemoMainForm& window, const QString& port, TDemoPacing pacing) {
    TDevicePortChoice choice;
    choice.Port = port.toStdString();
    choice.Indexes.BaudRate = DemoBaudRateIndex;
    window.UseRunOnlyPortSettings(choice,
                                  QString::fromStdString(SimulatedInstrumentLabel(choice.Port)));
    // setChecked does not trigger the item, so the stored delay choice stays.
    if (pacing == dpLineSpeed) {
        window.Form().lineSpeedMenuItem->setChecked(true);
        window.ModbusConnection1.SetFrameTiming(Corvane::ftStandard);
    } else {
        window.Form().fastMenuItem->setChecked(true);
    }
    window.Download().UpdateCommunicationDelays();
    window.AddLogLine(SimulatedInstrumentGreeting(choice.Port));
}

} // namespace Sondrel
