#include "LimitsFile.h"

#include "ArchiveLocation.h"
#include "LimitsEditing.h"
#include "ProfileFile.h"

#include <stdexcept>

namespace Sondrel {

namespace {

constexpr const char* kIdentityKey = "Identity";
// Sections are numbered from 1; a file never holds more instruments than this is worth reading.
constexpr std::int32_t kMaxInstruments = 10000;

std::string SectionName(std::int32_t n) {
    return "Instrument " + std::to_string(n);
}

// The section that holds the identity, or nothing; `free` is set to the first unused number.
std::optional<std::string> FindSection(const TProfileFile& file, const std::string& identity,
                                       std::int32_t* free = nullptr) {
    for (std::int32_t n = 1; n <= kMaxInstruments; ++n) {
        const std::string section = SectionName(n);
        const std::string stored = file.ReadString(section, kIdentityKey, "");
        if (stored.empty()) {
            if (free != nullptr) {
                *free = n;
            }
            return std::nullopt;
        }
        if (stored == identity) {
            return section;
        }
    }
    if (free != nullptr) {
        *free = 0;
    }
    return std::nullopt;
}

} // namespace

TLimitsFile::TLimitsFile(std::filesystem::path path) : FPath(std::move(path)) {}

std::filesystem::path TLimitsFile::DefaultPath() {
    return std::filesystem::path(UserDataFolder()) / FileName;
}

TLimitsRead TLimitsFile::Read(const std::string& identity) const {
    TLimitsRead read;
    const TProfileFile file(FPath);
    const std::optional<std::string> section = FindSection(file, identity);
    if (!section) {
        return read;
    }
    for (const TTrendSeries series : AllTrendSeries()) {
        for (const TLimitKind kind : AllLimitKinds()) {
            const std::string key = LimitKeyText(series, kind);
            const std::string text = file.ReadString(*section, key, "");
            if (text.empty()) {
                continue;
            }
            if (const std::optional<double> value = ParseLimitValue(text)) {
                read.Limits.Of(series).Set(kind, value);
            } else {
                read.Problems.push_back(key + ": '" + text + "' is not a number");
            }
        }
    }
    return read;
}

void TLimitsFile::Write(const std::string& identity, const TInstrumentLimits& limits) {
    if (identity.empty() || identity.find_first_of("\r\n") != std::string::npos) {
        throw std::invalid_argument("an instrument identity must be one line of text");
    }
    // The user's data folder may not exist yet on a new account.
    std::error_code ignored;
    if (FPath.has_parent_path()) {
        std::filesystem::create_directories(FPath.parent_path(), ignored);
    }
    TProfileFile file(FPath);
    std::int32_t free = 0;
    std::string section = FindSection(file, identity, &free).value_or("");
    if (section.empty()) {
        if (free == 0) {
            throw std::invalid_argument("the limits file holds too many instruments");
        }
        section = SectionName(free);
    }
    // The entries view the keys: reserved up front, the keys never move.
    std::vector<std::string> keys;
    keys.reserve(kTrendSeriesCount * kLimitKindCount);
    std::vector<TProfileEntry> entries;
    entries.push_back({section, kIdentityKey, identity});
    for (const TTrendSeries series : AllTrendSeries()) {
        for (const TLimitKind kind : AllLimitKinds()) {
            keys.push_back(LimitKeyText(series, kind));
            const std::optional<double> value = limits.Of(series).Of(kind);
            entries.push_back(
                {section, keys.back(), value ? LimitValueText(*value) : std::string()});
        }
    }
    file.WriteStrings(entries);
}

} // namespace Sondrel
