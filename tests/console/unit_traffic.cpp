// The traffic view's Qt-free parts on frames built by hand: ASCII frames and hostile bytes in
// the decoder, the bounded store, the capture files, the statistics' percentiles and hints.
#include "FileContents.h"
#include "LineStatistics.h"
#include "TrafficCapture.h"
#include "TrafficStore.h"

#include "Checksum.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <random>

using namespace Corvane;
using namespace Sondrel;

namespace {

TFrameData Rtu(TFrameData body) {
    const std::uint16_t crc = CRC16(body.data(), body.size());
    body.push_back(static_cast<std::uint8_t>(crc & 0xFF));
    body.push_back(static_cast<std::uint8_t>(crc >> 8));
    return body;
}

TFrameData Ascii(const std::string& text) {
    return {text.begin(), text.end()};
}

TCapturedFrame Frame(TCapturedKind kind, TFrameData bytes, std::int64_t startUs,
                     std::int64_t endUs) {
    TCapturedFrame frame;
    frame.Kind = kind;
    frame.Bytes = std::move(bytes);
    frame.StartUs = startUs;
    frame.EndUs = endUs;
    return frame;
}

TTrafficRow Reply(TReplyStatus status, std::int64_t responseUs, std::uint32_t baud = 19200) {
    TTrafficRow row;
    row.Role = trReply;
    row.Frame.Kind = ckReceived;
    row.Frame.Status = status;
    row.Frame.BaudRate = baud;
    row.ResponseUs = responseUs;
    return row;
}

TTrafficRow Request(std::uint32_t attempt, std::uint32_t baud = 19200) {
    TTrafficRow row;
    row.Role = trRequest;
    row.Frame.Kind = ckSent;
    row.Frame.Attempt = attempt;
    row.Frame.BaudRate = baud;
    return row;
}

TTrafficRow NoReply(std::uint32_t baud) {
    TTrafficRow row;
    row.Role = trNoReply;
    row.Frame.Kind = ckNoReply;
    row.Frame.Status = rsTimeoutExpired;
    row.Frame.BaudRate = baud;
    return row;
}

} // namespace

TEST(FrameMeaning, AsciiFramesDecodeAndShowAsTheirCharacters) {
    TTrafficAnnotator annotator(0, 0);
    TCapturedFrame request = Frame(ckSent, Ascii(":010300000002FA\r\n"), 0, 100);
    request.Mode = tmASCII;
    TCapturedFrame reply = Frame(ckReceived, Ascii(":01030400010002F5\r\n"), 600, 900);
    reply.Mode = tmASCII;
    const TTrafficRow sent = annotator.Annotate(request);
    const TTrafficRow received = annotator.Annotate(reply);
    EXPECT_EQ(sent.Meaning.Text, "Read Holding Registers: server 1, start 0, count 2");
    EXPECT_EQ(received.Meaning.Text,
              "Read Holding Registers reply: server 1, start 0, count 2, values 1 2");
    EXPECT_EQ(TrafficBytesText(sent), ":010300000002FA\\r\\n");
    EXPECT_EQ(received.GapUs, 500);
    EXPECT_EQ(received.ResponseUs, 800);
    EXPECT_EQ(TrafficMicrosecondsText(received.ResponseUs), "0.800 ms");
    EXPECT_EQ(TrafficMicrosecondsText(1234567), "1234.567 ms");
}

TEST(FrameMeaning, HostileBytesNeverReadPastTheFrame) {
    // Short and lying frames: a byte count beyond the data, a write with no values, noise.
    EXPECT_EQ(DescribeReply({0x01, 0x03, 0xFA, 0x00}, {}).Text,
              "Read Holding Registers reply: server 1, count 125, values");
    EXPECT_EQ(DescribeRequest({0x01, 0x10, 0x00, 0x00, 0x00, 0x7B, 0xF6}).Text,
              "Write Multiple Registers: server 1, start 0, count 123, values");
    EXPECT_EQ(DescribeRequest({0x01, 0x06, 0x00}).Text,
              "Write Single Register: server 1, (short: 3 bytes)");
    EXPECT_EQ(DescribeRequest({0x01}).Text, "(too short)");
    EXPECT_EQ(DescribeRequest({0x05, 0x41, 0xAB}).Text, "Function 0x41: server 5, data AB");
    EXPECT_FALSE(FrameMessage(tmASCII, Ascii("0103")).Ok);
    EXPECT_FALSE(FrameMessage(tmRTU, {0x01}).Ok);
    std::mt19937 random(7);
    for (int i = 0; i < 2000; ++i) {
        TFrameData noise(static_cast<std::size_t>(random() % 300));
        for (auto& b : noise) {
            b = static_cast<std::uint8_t>(random());
        }
        TTrafficAnnotator annotator(0, 0);
        TCapturedFrame frame = Frame(i % 2 == 0 ? ckSent : ckReceived, noise, 0, 1);
        frame.Mode = i % 3 == 0 ? tmASCII : tmRTU;
        const TTrafficRow row = annotator.Annotate(frame);
        EXPECT_FALSE(TrafficBytesText(row).empty() && !noise.empty());
    }
}

TEST(FrameMeaning, LongValueListsAreCut) {
    TFrameData reply = {0x01, 0x03, 200};
    for (int i = 0; i < 100; ++i) {
        reply.push_back(0);
        reply.push_back(static_cast<std::uint8_t>(i));
    }
    const std::string text = DescribeReply(reply, {}).Text;
    EXPECT_NE(text.find(" 31 ... (68 more)"), std::string::npos) << text;
}

TEST(TrafficStore, KeepsTheNewestRowsUpToItsLimit) {
    TTrafficStore store(5); // raised to the smallest limit
    EXPECT_EQ(store.Limit(), TTrafficStore::kMinimumLimit);
    std::vector<TTrafficRow> rows(250);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        rows[i].Frame.StartUs = static_cast<std::int64_t>(i);
    }
    store.Append(rows);
    EXPECT_EQ(store.Excess(), 150u);
    store.TrimToLimit();
    ASSERT_EQ(store.Count(), 100u);
    EXPECT_EQ(store.Row(0).Frame.StartUs, 150);
    EXPECT_EQ(store.Row(99).Frame.StartUs, 249);
    EXPECT_EQ(TTrafficStore().Limit(), 100000u);
}

TEST(TrafficCaptureFiles, CsvQuotesFieldsAndTheTextFileHasALinePerFrame) {
    TTrafficAnnotator annotator(0, 0);
    TTrafficStore store;
    store.Append(
        {annotator.Annotate(
             Frame(ckSent, Rtu({0x01, 0x10, 0x00, 0x08, 0x00, 0x02, 0x04, 0x00, 0x01, 0xFF, 0xFF}),
                   10, 20)),
         annotator.Annotate(
             Frame(ckReceived, Rtu({0x01, 0x10, 0x00, 0x08, 0x00, 0x02}), 1020, 1500))});
    const std::string csv = TrafficCapture(store, tcfCsv);
    const std::string header = TrafficCsvHeader() + "\r\n";
    ASSERT_EQ(csv.substr(0, header.size()), header);
    EXPECT_NE(csv.find(",Sent,01 10 00 08 00 02 04 00 01 FF FF A2 79,\"Write Multiple Registers: "
                       "server 1, start 8, count 2, values 1 65535\",OK,,\r\n"),
              std::string::npos)
        << csv;
    EXPECT_NE(csv.find(",1000,1480\r\n"), std::string::npos) << csv;
    const std::string text = TrafficCapture(store, tcfText);
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 2);
    EXPECT_NE(text.find("| gap 1.000 ms  | response 1.480 ms"), std::string::npos) << text;

    const auto folder = std::filesystem::temp_directory_path() / "sondrel_unit_traffic";
    std::filesystem::create_directories(folder);
    SaveTrafficCapture(folder / "capture.csv", store, tcfCsv);
    EXPECT_EQ(ReadFileCapped(folder / "capture.csv", 1 << 20).Bytes, csv);
    EXPECT_ANY_THROW(SaveTrafficCapture(folder / "missing" / "capture.csv", store, tcfCsv));
    std::filesystem::remove_all(folder);
}

TEST(LineStatistics, PercentilesAreNearestRankOverTheResponseTimes) {
    TLineStatistics stats;
    // 1..20 ms in a shuffled order: median 10 ms, p95 19 ms by nearest rank.
    std::vector<std::int64_t> times;
    for (int i = 1; i <= 20; ++i) {
        times.push_back(i * 1000);
    }
    std::shuffle(times.begin(), times.end(), std::mt19937(3));
    for (const auto t : times) {
        stats.Add(Request(1));
        stats.Add(Reply(rsNormalResponse, t));
    }
    stats.Add(Reply(rsFrameCorrupted, 99000)); // not a response time
    const TResponseTimes r = stats.ResponseTimes();
    EXPECT_EQ(r.Count, 20u);
    EXPECT_EQ(r.MinUs, 1000);
    EXPECT_EQ(r.MedianUs, 10000);
    EXPECT_EQ(r.P95Us, 19000);
    EXPECT_EQ(r.MaxUs, 20000);
    EXPECT_EQ(stats.SummaryLines().at(8),
              "Response time: min 1.000 ms, median 10.000 ms, p95 19.000 ms, max 20.000 ms");
}

TEST(LineStatistics, TimeoutsOnlyAtHighRatesPointAtTheLine) {
    TLineStatistics stats;
    for (int i = 0; i < 3; ++i) {
        stats.Add(Request(1, 9600));
        stats.Add(Reply(rsNormalResponse, 5000, 9600));
        stats.Add(Request(1, 115200));
        stats.Add(NoReply(115200));
    }
    ASSERT_EQ(stats.Hints().size(), 1u);
    EXPECT_EQ(stats.Hints()[0].substr(0, 33), "Timeouts only at 115200 baud and ");
    // Timeouts at the low rate too: nothing points at the rate.
    stats.Add(Request(1, 9600));
    stats.Add(NoReply(9600));
    EXPECT_TRUE(stats.Hints().empty());
    // One rate only: no comparison, no hint.
    TLineStatistics single;
    single.Add(Request(1, 115200));
    single.Add(NoReply(115200));
    EXPECT_TRUE(single.Hints().empty());
}

TEST(LineStatistics, PercentilesFollowTheNewestResponseTimesOnly) {
    // More replies than are kept: only the newest kKeptResponseTimes count, asked for at
    // several points on the way (each answer brought up to date from the last).
    TLineStatistics stats;
    const std::size_t kept = TLineStatistics::kKeptResponseTimes;
    std::mt19937 random(11);
    std::vector<std::int64_t> all;
    for (std::size_t i = 0; i < kept + kept / 2; ++i) {
        // Early replies slow, later ones fast: the old ones must leave the percentiles.
        const std::int64_t us = i < kept / 2 ? 900000 + static_cast<std::int64_t>(random() % 1000)
                                             : 1000 + static_cast<std::int64_t>(random() % 9000);
        all.push_back(us);
        stats.Add(Reply(rsNormalResponse, us));
        if (i % 40000 == 0 || i + 1 == kept + kept / 2) {
            std::vector<std::int64_t> newest(
                all.end() - static_cast<std::ptrdiff_t>(std::min(all.size(), kept)), all.end());
            std::sort(newest.begin(), newest.end());
            const TResponseTimes r = stats.ResponseTimes();
            ASSERT_EQ(r.Count, newest.size());
            EXPECT_EQ(r.MinUs, newest.front());
            EXPECT_EQ(r.MaxUs, newest.back());
            EXPECT_EQ(r.MedianUs, newest[(newest.size() + 1) / 2 - 1]);
            EXPECT_EQ(r.P95Us, newest[(95 * newest.size() + 99) / 100 - 1]);
        }
    }
    EXPECT_LT(stats.ResponseTimes().MaxUs, 10000) << "the slow early replies are gone";
}
