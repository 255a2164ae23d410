// Whether limits make sense, and one limit by its key.
#include "LimitsEditing.h"

#include <gtest/gtest.h>

#include <limits>

using namespace Sondrel;

namespace {

TSeriesLimits Limits(std::optional<double> alertHigh, std::optional<double> actionHigh,
                     std::optional<double> alertLow, std::optional<double> actionLow) {
    TSeriesLimits limits;
    limits.Set(TLimitKind::AlertHigh, alertHigh);
    limits.Set(TLimitKind::ActionHigh, actionHigh);
    limits.Set(TLimitKind::AlertLow, alertLow);
    limits.Set(TLimitKind::ActionLow, actionLow);
    return limits;
}

} // namespace

TEST(LimitsEditing, SoundLimitsPassAndEachContradictionIsNamedWithItsSeries) {
    const std::nullopt_t none = std::nullopt;
    EXPECT_FALSE(SeriesLimitsProblem(TTrendSeries::Counts1, {}));
    EXPECT_FALSE(SeriesLimitsProblem(TTrendSeries::Counts1, Limits(100, 200, 10, 5)));
    EXPECT_FALSE(SeriesLimitsProblem(TTrendSeries::Counts1, Limits(200, 200, none, none)));
    EXPECT_FALSE(SeriesLimitsProblem(TTrendSeries::FlowRate, Limits(none, none, 27, 26)));

    struct TCase {
        TSeriesLimits Limits;
        const char* Named;
    };
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    for (const TCase& c : {
             TCase{Limits(300, 200, none, none), "alert high limit 300 is above the action high"},
             TCase{Limits(none, none, 5, 10), "alert low limit 5 is below the action low"},
             TCase{Limits(100, none, 100, none), "alert low limit 100 is not below the alert high"},
             TCase{Limits(none, 50, none, 60), "action low limit 60 is not below the action high"},
             TCase{Limits(nan, none, none, none), "not a finite number"},
             TCase{Limits(none, none, none, -inf), "not a finite number"},
         }) {
        const auto problem = SeriesLimitsProblem(TTrendSeries::Ppb1, c.Limits);
        ASSERT_TRUE(problem) << c.Named;
        EXPECT_NE(problem->find(c.Named), std::string::npos) << *problem;
        EXPECT_EQ(problem->rfind("PPB 1: ", 0), 0U) << *problem;
    }

    TInstrumentLimits instrument;
    instrument.Of(TTrendSeries::TotalCounts) = Limits(10, 20, none, none);
    EXPECT_FALSE(InstrumentLimitsProblem(instrument));
    instrument.Of(TTrendSeries::LaserCondition) = Limits(10, 5, none, none);
    const auto problem = InstrumentLimitsProblem(instrument);
    ASSERT_TRUE(problem);
    EXPECT_EQ(problem->rfind(SeriesName(TTrendSeries::LaserCondition), 0), 0U) << *problem;
}

TEST(LimitsEditing, KeysAndValuesReadBackWhatIsWrittenAndRefuseTheRest) {
    for (const TTrendSeries series : AllTrendSeries()) {
        for (const TLimitKind kind : AllLimitKinds()) {
            const auto key = ParseLimitKey(LimitKeyText(series, kind));
            ASSERT_TRUE(key);
            EXPECT_EQ(key->Series, series);
            EXPECT_EQ(key->Kind, kind);
        }
    }
    EXPECT_EQ(LimitKeyText(TTrendSeries::TotalPpb, TLimitKind::ActionLow), "total_ppb.action_low");
    for (const char* bad : {"", "counts1", "counts1.", ".alert_high", "counts10.alert_high",
                            "counts1.alert_high.x", "Counts1.alert_high", "counts1.alerthigh"}) {
        EXPECT_FALSE(ParseLimitKey(bad)) << bad;
    }
    for (const double value : {0.0, 1000.0, 0.25, -3.5, 1e-7, 123456789.125}) {
        EXPECT_EQ(ParseLimitValue(LimitValueText(value)), value);
    }
    EXPECT_EQ(ParseLimitValue(" 12.5\t"), 12.5);
    for (const char* bad : {"", " ", "1,5", "12abc", "nan", "inf", "1e400", "0x10", "--1"}) {
        EXPECT_FALSE(ParseLimitValue(bad)) << bad;
    }
}
