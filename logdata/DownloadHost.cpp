#include "DownloadHost.h"

namespace Sondrel {

void TDownloadHost::ReportStep(const std::string& text) {
    AddLogLine(text);
    SetDisplayText(text);
}

void TDownloadHost::ReportStep(const std::string& text, bool bold, std::int32_t size,
                               TLogColour colour) {
    AddStyledLogLine(text, bold, size, colour);
    SetDisplayText(text);
}

} // namespace Sondrel
