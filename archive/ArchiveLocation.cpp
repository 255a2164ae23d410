#include "ArchiveLocation.h"

#include <array>
#include <cctype>
#include <filesystem>
#include <regex>

namespace Sondrel {

namespace {

constexpr const char* kSqlitePrefix = "sqlite:";
constexpr const char* kMask = "***";

bool IsPostgresUrl(const std::string& text) {
    return text.rfind("postgresql://", 0) == 0 || text.rfind("postgres://", 0) == 0;
}

// The keywords of libpq's key=value strings that a connection string starts with in practice.
bool IsConnectionKeyword(const std::string& word) {
    static const std::array<const char*, 14> keywords = {"host",        "hostaddr",
                                                         "port",        "dbname",
                                                         "user",        "password",
                                                         "passfile",    "service",
                                                         "sslmode",     "connect_timeout",
                                                         "options",     "application_name",
                                                         "sslrootcert", "target_session_attrs"};
    for (const char* keyword : keywords) {
        if (word == keyword) {
            return true;
        }
    }
    return false;
}

bool IsKeyValueString(const std::string& text) {
    std::size_t at = text.find_first_not_of(" \t");
    if (at == std::string::npos) {
        return false;
    }
    std::size_t end = at;
    while (end < text.size() &&
           (std::isalpha(static_cast<unsigned char>(text[end])) != 0 || text[end] == '_')) {
        ++end;
    }
    const std::size_t equals = text.find_first_not_of(" \t", end);
    return end > at && equals != std::string::npos && text[equals] == '=' &&
           IsConnectionKeyword(text.substr(at, end - at));
}

} // namespace

std::optional<TArchiveLocation> ParseArchiveLocation(const std::string& text) {
    if (text.empty()) {
        return std::nullopt;
    }
    TArchiveLocation location;
    location.Text = text;
    if (IsPostgresConnectionString(text)) {
        location.Backend = "postgresql";
        location.Text = MaskConnectionPassword(text);
        location.Connection = text;
        return location;
    }
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

bool IsPostgresConnectionString(const std::string& text) {
    return IsPostgresUrl(text) || IsKeyValueString(text);
}

std::string MaskConnectionPassword(const std::string& text) {
    if (IsPostgresUrl(text)) {
        std::string masked = text;
        const std::size_t start = masked.find("://") + 3;
        const std::size_t authorityEnd = std::min(masked.find_first_of("/?", start), masked.size());
        const std::size_t at = masked.rfind('@', authorityEnd);
        if (at != std::string::npos && at >= start) {
            const std::size_t colon = masked.find(':', start);
            if (colon != std::string::npos && colon < at) {
                masked.replace(colon + 1, at - colon - 1, kMask);
            }
        }
        static const std::regex parameter("([?&]password=)[^&]*", std::regex::icase);
        return std::regex_replace(masked, parameter, std::string("$1") + kMask);
    }
    if (IsKeyValueString(text)) {
        // A value is a word, or quoted with '...' where a backslash escapes the next character.
        static const std::regex parameter(R"((^|\s)password\s*=\s*('(?:[^'\\]|\\.)*'?|\S*))");
        return std::regex_replace(text, parameter, std::string("$1password=") + kMask);
    }
    return text;
}

TArchiveLocation ResolveArchiveLocation(const std::string& option, const std::string& environment,
                                        const std::string& setting) {
    for (const std::string* text : {&option, &environment, &setting}) {
        if (auto location = ParseArchiveLocation(*text)) {
            return *location;
        }
    }
    const std::string path = DefaultArchivePath();
    return {path, "sqlite", path, ""};
}

std::string DefaultArchivePath() {
    return (std::filesystem::path(UserDataFolder()) / "archive.sqlite").string();
}

} // namespace Sondrel
