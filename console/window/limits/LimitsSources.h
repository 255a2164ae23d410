// The records that the Data and Archive tabs show, as the limits see them (TLimitsSource):
// - the Data tab: the download's record list, of the instrument of the window's latest
//   download (as the archive knows it, by its identity);
// - the Archive tab: the range shown, of the instrument chosen there (none for "All
//   instruments").
//
// Main (GUI) thread only; the controllers and the page are borrowed and outlive the sources.
#pragma once

#include "LimitsController.h"

namespace Sondrel {

class TArchiveController;
class TArchivePage;
class TDownloadController;

TLimitsSource DownloadLimitsSource(TDownloadController& download, TArchiveController& archive,
                                   QTableView& view);
TLimitsSource ArchiveLimitsSource(TArchiveController& archive, TArchivePage& page);

} // namespace Sondrel
