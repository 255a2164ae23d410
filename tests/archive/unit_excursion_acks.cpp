// The forms that an acknowledgement's values must have, apart from any database.
#include "ExcursionAcks.h"

#include <gtest/gtest.h>

using namespace Sondrel;

namespace {

TExcursionAck Good() {
    return {1, "total_counts", "action high", "2024-03-05 07:09", "ops", "2024-03-05T08:00:00Z",
            ""};
}

} // namespace

TEST(ExcursionAckForms, RecordDateTimesKeepOutOfRangeFieldsAndRefuseOtherForms) {
    for (const char* text : {"2024-03-05 07:09", "65535-65535-00 99:99", "0000-00-00 00:00"}) {
        EXPECT_TRUE(IsRecordDateTimeText(text)) << text;
    }
    for (const char* text :
         {"", "2024-03-05", "2024-3-05 07:09", "2024-03-05  07:09", "2024-03-05 07:09 ",
          "2024-03-05T07:09", "202a-03-05 07:09", "123456-03-05 07:09", "2024-03-05 07:09:00"}) {
        EXPECT_FALSE(IsRecordDateTimeText(text)) << text;
    }
    EXPECT_TRUE(IsUtcTimeText("2024-03-05T08:00:00Z"));
    for (const char* text : {"2024-03-05T08:00:00", "2024-03-05 08:00:00Z",
                             "2024-03-05T08:00:00+01:00", "24-03-05T08:00:00Z", ""}) {
        EXPECT_FALSE(IsUtcTimeText(text)) << text;
    }
}

TEST(ExcursionAckForms, KeysAreLowerCaseWordsJoinedOnce) {
    EXPECT_FALSE(ExcursionAckProblem(Good()));
    for (const char* series : {"Counts1", "counts 1", "_counts", "counts_", "counts__1", "ppb-1"}) {
        TExcursionAck ack = Good();
        ack.Series = series;
        EXPECT_TRUE(ExcursionAckProblem(ack)) << series;
    }
    for (const char* kind : {"alert_high", " alert high", "alert high ", "ALERT HIGH"}) {
        TExcursionAck ack = Good();
        ack.LimitKind = kind;
        EXPECT_TRUE(ExcursionAckProblem(ack)) << kind;
    }
}

TEST(ExcursionAckForms, TextsMustBeWholeUtf8WithinTheirLengthInCharacters) {
    // Malformed UTF-8: a lone continuation, a cut sequence, an overlong "/", a surrogate, past
    // U+10FFFF.
    for (const std::string& bad : {std::string("\x80"), std::string("caf\xC3"),
                                   std::string("\xC0\xAF"), std::string("\xE0\x80\xAF"),
                                   std::string("\xED\xA0\x80"), std::string("\xF4\x90\x80\x80")}) {
        TExcursionAck ack = Good();
        ack.Comment = "a " + bad + " b";
        const auto problem = ExcursionAckProblem(ack);
        ASSERT_TRUE(problem);
        EXPECT_NE(problem->find("UTF-8"), std::string::npos) << *problem;
    }
    TExcursionAck ack = Good();
    ack.Comment = "\xF0\x9F\x98\x80 \xE2\x82\xAC \xC3\xA9\r\n\tend"; // emoji, euro, e acute
    EXPECT_FALSE(ExcursionAckProblem(ack));
    // 200 four-byte characters are 200 characters; one more is too many.
    std::string who;
    for (int i = 0; i < 200; ++i) {
        who += "\xF0\x9F\x98\x80";
    }
    ack.AcknowledgedBy = who;
    EXPECT_FALSE(ExcursionAckProblem(ack));
    ack.AcknowledgedBy += "x";
    const auto problem = ExcursionAckProblem(ack);
    ASSERT_TRUE(problem);
    EXPECT_NE(problem->find("(201)"), std::string::npos) << *problem;
    ack.AcknowledgedBy = "ops\x7F";
    EXPECT_TRUE(ExcursionAckProblem(ack));
}
