#include "EditRangeCheck.h"

namespace Sondrel {

TRangeCheck CheckEditRange(std::string_view text, std::int64_t min, std::int64_t max) {
    return CheckIntegerRange(text, min, max, ebAcceptAny);
}

TEditRangesCheck CheckEditRanges(std::initializer_list<TEditRange> edits) {
    TEditRangesCheck result;
    std::size_t index = 0;
    for (const TEditRange& edit : edits) {
        const TRangeCheck check = CheckEditRange(edit.Text, edit.Min, edit.Max);
        if (!check.Ok) {
            result.Ok = false;
            result.FailedEdit = index;
            result.Error = check.Error;
            result.Values.clear();
            return result;
        }
        result.Values.push_back(check.Value);
        ++index;
    }
    return result;
}

} // namespace Sondrel
