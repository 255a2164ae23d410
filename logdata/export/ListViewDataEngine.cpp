#include "ListViewDataEngine.h"

namespace Sondrel {

std::int32_t TListViewDataEngine::CharacterWidth(std::int32_t pixels) {
    return pixels < 4 ? 5 : pixels / 4;
}

void TListViewDataEngine::Open() {
    FColumns.clear();
    for (std::int32_t c = 0; c < TRecordRows::ColumnCount; ++c) {
        const std::string& caption = FList.ColumnCaption(c);
        FColumns.push_back({caption, caption, CharacterWidth(FList.ColumnWidth(c)), ctString});
    }
    FRow = 0;
}

} // namespace Sondrel
