#include "CollectReport.h"

#include <cstdio>

namespace SondrelCli {

namespace {

std::string Seconds(double seconds) {
    char text[32];
    std::snprintf(text, sizeof text, "%.2f", seconds);
    return text;
}

// The length of the valid UTF-8 sequence at text[at], or 0.
std::size_t Utf8Length(const std::string& text, std::size_t at) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char first = byte(at);
    std::size_t length = first < 0x80           ? 1
                         : (first >> 5) == 0x6  ? 2
                         : (first >> 4) == 0xE  ? 3
                         : (first >> 3) == 0x1E ? 4
                                                : 0;
    if (length == 0 || at + length > text.size() || (length == 2 && first < 0xC2)) {
        return 0;
    }
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(at + i) & 0xC0) != 0x80) {
            return 0;
        }
    }
    return length;
}

} // namespace

const char* OutcomeName(TCollectOutcome outcome) {
    switch (outcome) {
    case TCollectOutcome::Collected:
        return "collected";
    case TCollectOutcome::Stopped:
        return "stopped";
    case TCollectOutcome::Failed:
        break;
    }
    return "failed";
}

std::string ReportText(const TInstrumentReport& r, bool colour) {
    const char* paint = r.Outcome == TCollectOutcome::Collected ? "\033[32m"
                        : r.Outcome == TCollectOutcome::Stopped ? "\033[33m"
                                                                : "\033[31m";
    std::string outcome = OutcomeName(r.Outcome);
    if (colour) {
        outcome = paint + outcome + "\033[0m";
    }
    std::string text = "round " + std::to_string(r.Round) + " " + r.Name + " " + outcome + " " +
                       std::to_string(r.RecordsAdded) + " records added in " +
                       Seconds(r.DurationSeconds) + " s";
    if (!r.Reason.empty()) {
        text += ": " + r.Reason;
    }
    return text;
}

std::string ReportJson(const TInstrumentReport& r) {
    return "{\"round\":" + std::to_string(r.Round) + ",\"name\":" + JsonString(r.Name) +
           ",\"line\":" + JsonString(r.Line) + ",\"address\":" + std::to_string(r.Address) +
           ",\"outcome\":\"" + OutcomeName(r.Outcome) +
           "\",\"records_added\":" + std::to_string(r.RecordsAdded) +
           ",\"duration_s\":" + Seconds(r.DurationSeconds) + ",\"reason\":" + JsonString(r.Reason) +
           "}";
}

std::string JsonString(const std::string& text) {
    std::string out = "\"";
    for (std::size_t i = 0; i < text.size();) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
            ++i;
        } else if (c < 0x20 || c == 0x7f) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04x", c);
            out += escape;
            ++i;
        } else if (const std::size_t length = Utf8Length(text, i); length > 0) {
            out.append(text, i, length);
            i += length;
        } else {
            out += "\\ufffd";
            ++i;
        }
    }
    return out + "\"";
}

} // namespace SondrelCli
