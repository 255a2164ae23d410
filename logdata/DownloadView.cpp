#include "DownloadView.h"

namespace Sondrel {

TDownloadView& TDownloadView::None() {
    // Stateless: one instance serves every program that has no window.
    static TDownloadView none;
    return none;
}

void ReportStep(TDownloadHost& host, TDownloadView& view, const std::string& text,
                TDownloadStepKind kind) {
    host.LogStep(kind, text);
    view.SetDisplayText(text);
}

} // namespace Sondrel
