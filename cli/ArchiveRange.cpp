#include "ArchiveRange.h"

#include "CommandLine.h"

namespace SondrelCli {

using namespace Sondrel;
using SondrelOptions::EUsageError;

namespace {

bool AllDigits(const std::string& text, std::size_t at, std::size_t count) {
    if (at + count > text.size()) {
        return false;
    }
    for (std::size_t i = at; i < at + count; ++i) {
        if (text[i] < '0' || text[i] > '9') {
            return false;
        }
    }
    return true;
}

} // namespace

std::string RangeEnd(const std::string& text, bool last, const std::string& what) {
    const bool date = text.size() >= 10 && AllDigits(text, 0, 4) && text[4] == '-' &&
                      AllDigits(text, 5, 2) && text[7] == '-' && AllDigits(text, 8, 2);
    if (date && text.size() == 10) {
        return text + (last ? " 23:59" : " 00:00");
    }
    if (date && text.size() == 16 && (text[10] == ' ' || text[10] == 'T') &&
        AllDigits(text, 11, 2) && text[13] == ':' && AllDigits(text, 14, 2)) {
        return text.substr(0, 10) + " " + text.substr(11);
    }
    throw EUsageError(what + ": '" + text + "' is not a date YYYY-MM-DD or \"YYYY-MM-DD HH:MM\"");
}

std::int64_t FindInstrument(IArchiveStore& store, const std::string& text) {
    for (const TInstrumentSummary& instrument : store.Instruments()) {
        if (std::to_string(instrument.Id) == text || instrument.Name == text ||
            instrument.Identity == text) {
            return instrument.Id;
        }
    }
    throw EUsageError("--instrument: the archive has no instrument '" + text +
                      "' (see sondrel-cli archive list)");
}

} // namespace SondrelCli
