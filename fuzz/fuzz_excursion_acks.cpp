// Arbitrary acknowledgements, as a hand-edited archive may hold them: the bytes split at NUL
// into who, the comment, the start, the time, the series and the kind. Checking never reads
// outside a text; UTF-8 is measured a whole character at a time; an acknowledgement that
// passes has texts within their bounds, its date-times in their forms and no control
// character in who; the verdict is the same every time.
#include "ExcursionAcks.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace {

using namespace Sondrel;

void Check(bool condition) {
    if (!condition) {
        __builtin_trap();
    }
}

// The characters of the text when it is whole UTF-8, else -1.
long Characters(const std::string& text) {
    long characters = 0;
    for (std::size_t at = 0; at < text.size(); ++characters) {
        const std::size_t length = Utf8CharacterLength(text, at);
        Check(length <= 4 && at + length <= text.size());
        if (length == 0) {
            return -1;
        }
        at += length;
    }
    return characters;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::vector<std::string> fields(6);
    std::size_t field = 0;
    for (std::size_t i = 0; i < size; ++i) {
        if (data[i] == 0 && field + 1 < fields.size()) {
            ++field;
        } else {
            fields[field] += static_cast<char>(data[i]);
        }
    }
    TExcursionAck ack;
    ack.InstrumentId = 1;
    ack.AcknowledgedBy = fields[0];
    ack.Comment = fields[1];
    ack.StartedAt = fields[2].empty() ? "2024-01-01 00:00" : fields[2];
    ack.AcknowledgedAt = fields[3].empty() ? "2024-01-01T00:00:00Z" : fields[3];
    ack.Series = fields[4].empty() ? "counts1" : fields[4];
    ack.LimitKind = fields[5].empty() ? "alert high" : fields[5];

    const auto problem = ExcursionAckProblem(ack);
    Check(ExcursionAckProblem(ack) == problem);
    if (!problem) {
        const long who = Characters(ack.AcknowledgedBy);
        const long comment = Characters(ack.Comment);
        Check(who >= 1 && who <= static_cast<long>(kMaxAcknowledgedByLength));
        Check(comment >= 0 && comment <= static_cast<long>(kMaxAckCommentLength));
        for (const char c : ack.AcknowledgedBy) {
            Check(static_cast<unsigned char>(c) >= 0x20 && c != 0x7F);
        }
        Check(IsRecordDateTimeText(ack.StartedAt) && IsUtcTimeText(ack.AcknowledgedAt));
        Check(ack.Series.size() <= kMaxAckKeyLength && ack.LimitKind.size() <= kMaxAckKeyLength);
    }
    return 0;
}
