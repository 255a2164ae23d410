#include "DemoInstrument.h"

#include "CorvaneDemoMain.h"
#include "DownloadController.h"
#include "PortSettings.h"
#include "ui_CorvaneDemoMain.h"

namespace Sondrel {

void UseDemoInstrument(TCorvaneDemoMainForm& window, const QString& port, TDemoPacing pacing) {
    TPortSettingIndexes indexes;
    indexes.BaudRate = DemoBaudRateIndex;
    window.ApplyPortSettings(QStringLiteral("1"), port, indexes);
    // setChecked does not trigger the item, so the stored delay choice stays.
    if (pacing == dpLineSpeed) {
        window.Form().lineSpeedMenuItem->setChecked(true);
        window.ModbusConnection1.SetFrameTiming(Corvane::ftStandard);
    } else {
        window.Form().fastMenuItem->setChecked(true);
    }
    window.Download().UpdateCommunicationDelays();
    window.UpdateConnectionState();
}

} // namespace Sondrel
