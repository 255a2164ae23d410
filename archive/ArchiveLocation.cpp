#include "ArchiveLocation.h"

#include <filesystem>

namespace Sondrel {

namespace {

constexpr const char* kSqlitePrefix = "sqlite:";

} // namespace

std::optional<TArchiveLocation> ParseArchiveLocation(const std::string& text) {
    if (text.empty()) {
        return std::nullopt;
    }
    TArchiveLocation location;
    location.Text = text;
    if (text.rfind(kSqlitePrefix, 0) == 0) {
        location.Backend = "sqlite";
        location.Path = text.substr(std::string(kSqlitePrefix).size());
        // "sqlite:///path", as a URL would write it.
        if (location.Path.rfind("//", 0) == 0) {
            location.Path = location.Path.substr(2);
        }
        return location;
    }
    // "scheme://...": a URL; a path never starts with a word and "://" (a drive letter has one
    // letter and no "//").
    if (const auto at = text.find("://");
        at != std::string::npos && at > 1 && text.find_first_of("/\\") > at) {
        location.Backend = text.substr(0, at);
        return location;
    }
    location.Backend = "sqlite";
    location.Path = text;
    return location;
}

TArchiveLocation ResolveArchiveLocation(const std::string& option, const std::string& environment,
                                        const std::string& setting) {
    for (const std::string* text : {&option, &environment, &setting}) {
        if (auto location = ParseArchiveLocation(*text)) {
            return *location;
        }
    }
    const std::string path = DefaultArchivePath();
    return {path, "sqlite", path};
}

std::string DefaultArchivePath() {
    return (std::filesystem::path(UserDataFolder()) / "archive.sqlite").string();
}

} // namespace Sondrel
