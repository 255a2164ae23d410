#include "ArchiveTestSupport.h"

#include "FakeInstrument.h"

#include <sys/mount.h>

namespace ArchiveTest {

using namespace Sondrel;

namespace {

struct TCalendar {
    int Year, Month, Day, Hour, Minute;
};

TCalendar CalendarOfMinute(std::int64_t minute) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    TCalendar c{2024, 1, 1, static_cast<int>(minute / 60 % 24), static_cast<int>(minute % 60)};
    std::int64_t days = minute / 1440;
    for (;;) {
        const bool leap = (c.Year % 4 == 0 && c.Year % 100 != 0) || c.Year % 400 == 0;
        const int inMonth = kDays[c.Month - 1] + (c.Month == 2 && leap ? 1 : 0);
        if (days < inMonth) {
            break;
        }
        days -= inMonth;
        if (++c.Month > 12) {
            c.Month = 1;
            ++c.Year;
        }
    }
    c.Day = static_cast<int>(days) + 1;
    return c;
}

} // namespace

std::vector<std::uint16_t> Block(std::int32_t number, std::int64_t minute) {
    std::vector<std::uint16_t> r = TFakeInstrument::RecordRegisters(number);
    const TCalendar c = CalendarOfMinute(minute);
    r[3] = static_cast<std::uint16_t>(c.Year);
    r[4] = static_cast<std::uint16_t>(c.Month);
    r[5] = static_cast<std::uint16_t>(c.Day);
    r[6] = static_cast<std::uint16_t>(c.Hour);
    r[7] = static_cast<std::uint16_t>(c.Minute);
    return r;
}

std::string DateTimeOfMinute(std::int64_t minute) {
    const TCalendar c = CalendarOfMinute(minute);
    return RecordDateTime(static_cast<std::uint16_t>(c.Year), static_cast<std::uint16_t>(c.Month),
                          static_cast<std::uint16_t>(c.Day), static_cast<std::uint16_t>(c.Hour),
                          static_cast<std::uint16_t>(c.Minute));
}

TArchivedRecord Record(std::int32_t number, std::int64_t minute) {
    return {number, Block(number, minute), "2024-06-01T12:00:00Z"};
}

std::vector<TArchivedRecord> Records(std::int32_t first, std::int32_t count, std::int64_t base) {
    std::vector<TArchivedRecord> records;
    for (std::int32_t n = first; n < first + count; ++n) {
        records.push_back(Record(n, base + n));
    }
    return records;
}

TInstrumentDescription Instrument(const std::string& name) {
    return {"name " + name, name, "", "/dev/ttyUSB0", 1};
}

TScratchMount::TScratchMount(std::size_t bytes) {
    const std::string options = "size=" + std::to_string(bytes);
    FMounted = mount("tmpfs", FFolder.Path().c_str(), "tmpfs", 0, options.c_str()) == 0;
}

TScratchMount::~TScratchMount() {
    if (FMounted) {
        umount2(FFolder.Path().c_str(), MNT_DETACH);
    }
}

bool TScratchMount::MakeReadOnly() {
    return FMounted &&
           mount("tmpfs", FFolder.Path().c_str(), "tmpfs", MS_REMOUNT | MS_RDONLY, nullptr) == 0;
}

} // namespace ArchiveTest
