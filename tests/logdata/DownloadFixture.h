// Shared fixture of the download tests: the fake instrument, the scripted host and the engine,
// with the Log Data inputs of a 20-record, interval-1 download of the most recent records.
#pragma once

#include "DownloadEngine.h"
#include "FakeInstrument.h"
#include "TestHost.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

class DownloadTest : public ::testing::Test {
protected:
    DownloadTest() {
        Host.Attach(Engine);
        // Moved in as strings: g++ 12 at -O3 warns wrongly (-Wrestrict) on assigning these
        // short literals.
        Host.InputValues.RecordsText = std::string("20");
        Host.InputValues.RecentDateText = std::string("5");
        Host.InputValues.IntervalText = std::string("1");
        Host.InputValues.RecentChecked = true;
        Engine.UpdateCommunicationDelays();
    }

    // Record numbers written to the record pointer, in order.
    std::vector<std::int32_t> PointerWrites() const {
        std::vector<std::int32_t> records;
        for (const auto& r : Host.RequestsStartingWith("W 254=")) {
            records.push_back(std::stoi(r.substr(6)));
        }
        return records;
    }

    std::vector<std::string> Captions() const {
        std::vector<std::string> captions;
        for (std::int32_t i = 0; i < Engine.List().Count(); ++i) {
            captions.push_back(Engine.List().Text(i, 0));
        }
        return captions;
    }

    static std::string Pad(long long v, std::size_t width) {
        std::string s = std::to_string(v);
        return std::string(width > s.size() ? width - s.size() : 0, '0') + s;
    }

    static std::string TwoDecimals(double v) {
        char text[64];
        std::snprintf(text, sizeof text, "%.2f", v);
        return text;
    }

    // The 27 texts the list must show for a record with these registers.
    static std::vector<std::string> ExpectedTexts(const Corvane::TRegValues& r,
                                                  std::int32_t firstRecord) {
        std::vector<std::string> t;
        t.push_back(Pad(r[1], 5));
        t.push_back(Pad(r[4], 2) + "/" + Pad(r[5], 2) + "/" + std::to_string(r[3]));
        t.push_back(Pad(r[6], 2) + ":" + Pad(r[7], 2));
        for (int k = 1; k <= 10; ++k) {
            const int high = k <= 9 ? 31 + 2 * k : 51;
            t.push_back(std::to_string(std::uint64_t{r[high]} * 65535 + r[high + 1]));
        }
        double total = 0;
        for (int k = 1; k <= 9; ++k) {
            const double ppb = r[62 + 2 * k] + r[63 + 2 * k] / 100.0;
            total += ppb;
            t.push_back(TwoDecimals(ppb));
        }
        t.push_back(TwoDecimals(total));
        t.push_back(std::to_string(r[15]));
        t.push_back(std::to_string(r[13]));
        t.push_back(std::to_string(r[14]));
        const long long offset = ((r[1] - firstRecord) % 62001 + 62001) % 62001;
        t.push_back(Pad(offset + 1, 5));
        return t;
    }

    std::vector<std::string> RowTexts(std::int32_t row) const {
        std::vector<std::string> texts;
        for (std::int32_t c = 0; c < Sondrel::TRecordList::ColumnCount; ++c) {
            texts.push_back(Engine.List().Text(row, c));
        }
        return texts;
    }

    TFakeInstrument Instrument;
    TTestHost Host{Instrument};
    Sondrel::TDownloadEngine Engine{Host, Host, Host};
};
