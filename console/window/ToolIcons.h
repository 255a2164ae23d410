// The console's own icons, painted at run time (no image files): the toolbar buttons and the
// two images of the quick-connect button ("Bitmap_1" while closed, "Bitmap_2" while open).
//
// Main (GUI) thread only (pixmaps need the GUI application).
#pragma once

#include <QIcon>
#include <QString>

namespace Sondrel {

enum TToolIcon {
    tiConnect,
    tiDisconnect,
    tiPortSettings,
    tiRetrieveData,
    tiStopDownload,
    tiFirmwareUpdate,
};

QIcon ToolIcon(TToolIcon icon);

// The image resource of that name ("Bitmap_1", "Bitmap_2"); a null icon for any other name.
QIcon ImageResource(const QString& name);

} // namespace Sondrel
