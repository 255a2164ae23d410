// What every archive backend does alike: records kept once, instruments by identity, pages,
// chains, the schema's versions and migrations, and writers at once. Each case runs on a SQLite
// file and on a PostgreSQL server of the test's own; the PostgreSQL cases also cover a server
// that is gone or refuses the login, and keep the password out of every message.
#include "ArchiveTestSupport.h"

#include "ArchiveError.h"
#include "OpenArchive.h"
#include "SqliteArchive.h"

#ifdef SONDREL_TEST_POSTGRESQL
#include "PostgresArchive.h"
#include "PostgresServer.h"
#endif

#include <gtest/gtest.h>

#include <sqlite3.h>

#include <functional>
#include <memory>
#include <set>
#include <thread>

using namespace Sondrel;
using namespace ArchiveTest;

namespace {

// One backend under test: its stores, and SQL behind the store's back.
class TBackend {
public:
    virtual ~TBackend() = default;
    virtual std::unique_ptr<IArchiveStore> Open(const std::vector<TSchemaStep>& steps = {},
                                                bool readOnly = false) = 0;
    virtual TSqlDialect Dialect() const = 0;
    virtual void Sql(const std::string& sql) = 0;
    virtual std::int64_t QueryInt(const std::string& sql) = 0;
};

class TSqliteBackend : public TBackend {
public:
    std::unique_ptr<IArchiveStore> Open(const std::vector<TSchemaStep>& steps,
                                        bool readOnly) override {
        TSqliteArchiveOptions options;
        options.Steps = steps;
        options.ReadOnly = readOnly;
        return std::make_unique<TSqliteArchive>(FPath, FPath, options);
    }
    TSqlDialect Dialect() const override { return TSqliteArchive::Dialect(); }
    void Sql(const std::string& sql) override {
        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open(FPath.c_str(), &db), SQLITE_OK);
        char* error = nullptr;
        EXPECT_EQ(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &error), SQLITE_OK)
            << (error ? error : "");
        sqlite3_free(error);
        sqlite3_close(db);
    }
    std::int64_t QueryInt(const std::string& sql) override {
        sqlite3* db = nullptr;
        sqlite3_open(FPath.c_str(), &db);
        sqlite3_stmt* statement = nullptr;
        sqlite3_prepare_v2(db, sql.c_str(), -1, &statement, nullptr);
        const std::int64_t value =
            sqlite3_step(statement) == SQLITE_ROW ? sqlite3_column_int64(statement, 0) : -1;
        sqlite3_finalize(statement);
        sqlite3_close(db);
        return value;
    }

private:
    ExportTest::TTempFolder FFolder;
    std::string FPath = FFolder.File("archive.sqlite");
};

#ifdef SONDREL_TEST_POSTGRESQL
class TPostgresBackend : public TBackend {
public:
    explicit TPostgresBackend(TestSupport::TPostgresServer& server)
        : FServer(server), FDatabase(server.CreateDatabase("archive")) {}
    std::unique_ptr<IArchiveStore> Open(const std::vector<TSchemaStep>& steps,
                                        bool readOnly) override {
        TPostgresArchiveOptions options;
        options.Steps = steps;
        options.ReadOnly = readOnly;
        return std::make_unique<TPostgresArchive>(FServer.Url(FDatabase), FDatabase, options);
    }
    TSqlDialect Dialect() const override { return TPostgresArchive::Dialect(); }
    void Sql(const std::string& sql) override { FServer.Sql(FDatabase, sql); }
    std::int64_t QueryInt(const std::string& sql) override {
        return std::stoll(FServer.Query(FDatabase, sql));
    }

private:
    TestSupport::TPostgresServer& FServer;
    std::string FDatabase;
};
#endif

TArchiveFault FaultOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const EArchiveError& e) {
        return e.Fault();
    }
    ADD_FAILURE() << "no archive error";
    return afOther;
}

class ArchiveBackendTest : public ::testing::TestWithParam<std::string> {
protected:
    void SetUp() override {
        if (GetParam() == "sqlite") {
            Backend = std::make_unique<TSqliteBackend>();
            return;
        }
#ifdef SONDREL_TEST_POSTGRESQL
        auto& server = TestSupport::TPostgresServer::Shared();
        if (!server.Available()) {
            GTEST_SKIP() << server.SkipReason();
        }
        Backend = std::make_unique<TPostgresBackend>(server);
#else
        GTEST_SKIP() << "this build has no PostgreSQL archive (libpq)";
#endif
    }

    static std::int64_t Download(IArchiveStore& archive, std::int64_t instrument,
                                 const std::string& kind = kDownloadRecent) {
        TDownloadRecord d;
        d.InstrumentId = instrument;
        d.Kind = kind;
        d.Request = "test";
        d.StartedAt = "2024-06-01T12:00:00Z";
        return archive.BeginDownload(d);
    }

    std::unique_ptr<TBackend> Backend;
};

std::string BackendName(const ::testing::TestParamInfo<std::string>& info) {
    return info.param;
}

} // namespace

INSTANTIATE_TEST_SUITE_P(Backends, ArchiveBackendTest,
                         ::testing::Values(std::string("sqlite"), std::string("postgresql")),
                         BackendName);

TEST_P(ArchiveBackendTest, RecordIsStoredOnceButANumberBackWithAnotherDateTimeIsANewRecord) {
    auto archive = Backend->Open();
    const std::int64_t instrument = archive->EnsureInstrument(Instrument());
    const std::int64_t first = Download(*archive, instrument);
    EXPECT_EQ(archive->AddRecords(instrument, first, Records(1, 10)), 10);
    // An overlapping download: 6..15, of which 6..10 are stored already.
    const std::int64_t second = Download(*archive, instrument);
    EXPECT_EQ(archive->AddRecords(instrument, second, Records(6, 10)), 5);
    // The log wrapped (or was erased): numbers 1..3 come back a lap later.
    EXPECT_EQ(archive->AddRecords(instrument, second, Records(1, 3, 62001)), 3);
    // The same records again within one batch are kept once.
    EXPECT_EQ(archive->AddRecords(instrument, second, {Record(40, 40), Record(40, 40)}), 1);
    EXPECT_EQ(archive->CountRecords({}), 19);

    // Each record keeps the download that brought it first.
    std::set<std::int32_t> bySecond;
    for (const auto& key : archive->RecordKeys(instrument, std::nullopt, second)) {
        EXPECT_GE(key.DownloadId, second);
        bySecond.insert(key.RecordNumber);
    }
    EXPECT_EQ(bySecond, (std::set<std::int32_t>{1, 2, 3, 11, 12, 13, 14, 15, 40}));
    // Since a date-time: minute 14 on, the lap-later ones included.
    EXPECT_EQ(archive->RecordKeys(instrument, DateTimeOfMinute(14), std::nullopt).size(), 6U);
    // Another instrument's record of the same number and time is its own.
    const std::int64_t other = archive->EnsureInstrument(Instrument("other counter"));
    EXPECT_EQ(archive->AddRecords(other, Download(*archive, other), Records(1, 1)), 1);
    EXPECT_TRUE(archive->Check().Sound());
}

TEST_P(ArchiveBackendTest, InstrumentIsFoundByIdentityAndItsDetailsFollowTheLatestDownload) {
    auto archive = Backend->Open();
    TInstrumentDescription counter{"server id 01:SIM-7", "SIM-7", "0153494d2d37", "/dev/pts/3", 1};
    const std::int64_t id = archive->EnsureInstrument(counter);
    counter.Port = "/dev/ttyUSB1";
    counter.Address = 5;
    EXPECT_EQ(archive->EnsureInstrument(counter), id);
    archive->AddRecords(id, Download(*archive, id), Records(3, 4));
    const auto instruments = archive->Instruments();
    ASSERT_EQ(instruments.size(), 1U);
    EXPECT_EQ(instruments[0].Port, "/dev/ttyUSB1");
    EXPECT_EQ(instruments[0].Address, 5);
    EXPECT_EQ(instruments[0].Records, 4);
    EXPECT_EQ(instruments[0].First, DateTimeOfMinute(3));
    EXPECT_EQ(instruments[0].Last, DateTimeOfMinute(6));
}

TEST_P(ArchiveBackendTest, StoredRecordKeepsItsRegistersAndCheckFindsOneChangedBehindItsBack) {
    auto archive = Backend->Open();
    const std::int64_t instrument = archive->EnsureInstrument(Instrument());
    const TArchivedRecord record = Record(77, 1234);
    archive->AddRecords(instrument, Download(*archive, instrument), {record, Record(78, 1235)});
    const auto read = archive->ReadRecords({}, 0, 10);
    ASSERT_EQ(read.size(), 2U);
    EXPECT_EQ(read[0].Registers, record.Registers);
    EXPECT_EQ(read[0].RecordNumber, 77);
    EXPECT_EQ(read[0].RecordedAt, DateTimeOfMinute(1234));
    EXPECT_TRUE(archive->Check().Sound());

    Backend->Sql("UPDATE records SET counts_1 = counts_1 + 1 WHERE record_number = 78");
    const TArchiveCheck check = archive->Check();
    EXPECT_EQ(check.Records, 2);
    EXPECT_EQ(check.DamagedRecords, 1);
    EXPECT_FALSE(check.Sound());
}

TEST_P(ArchiveBackendTest, PagesFollowTheOrderAndTheRangeAndContinueFromTheLastRow) {
    auto archive = Backend->Open();
    const std::int64_t a = archive->EnsureInstrument(Instrument("a"));
    const std::int64_t b = archive->EnsureInstrument(Instrument("b"));
    archive->AddRecords(a, Download(*archive, a), Records(0, 500));
    archive->AddRecords(b, Download(*archive, b), Records(1000, 100, -900)); // minutes 100..199

    TRecordQuery query;
    EXPECT_EQ(archive->CountRecords(query), 600);
    std::vector<std::pair<std::string, std::int64_t>> paged;
    for (std::int64_t offset = 0; offset < 600; offset += 64) {
        for (const auto& r : archive->ReadRecords(query, offset, 64)) {
            paged.emplace_back(r.RecordedAt, r.InstrumentId);
        }
    }
    ASSERT_EQ(paged.size(), 600U);
    EXPECT_TRUE(std::is_sorted(paged.begin(), paged.end()));
    EXPECT_EQ(archive->ReadRecords(query, 150, 1).at(0).RecordNumber, 125);
    EXPECT_EQ(archive->ReadRecords(query, 151, 1).at(0).RecordNumber, 1025);

    query.InstrumentId = a;
    query.From = DateTimeOfMinute(100);
    query.To = DateTimeOfMinute(149);
    EXPECT_EQ(archive->CountRecords(query), 50);
    query.Ascending = false;
    std::vector<std::int32_t> newestFirst;
    for (std::int64_t offset = 0; offset < 60; offset += 7) {
        for (const auto& r : archive->ReadRecords(query, offset, 7)) {
            newestFirst.push_back(r.RecordNumber);
        }
    }
    ASSERT_EQ(newestFirst.size(), 50U);
    for (std::size_t i = 0; i < newestFirst.size(); ++i) {
        EXPECT_EQ(newestFirst[i], 149 - static_cast<std::int32_t>(i));
    }

    // By a field: flow rate (28 + n % 3), ties by time.
    TRecordQuery byFlow;
    byFlow.InstrumentId = a;
    byFlow.OrderColumn = 23;
    const auto first = archive->ReadRecords(byFlow, 0, 3);
    ASSERT_EQ(first.size(), 3U);
    EXPECT_EQ(first[0].RecordNumber, 0);
    EXPECT_EQ(first[1].RecordNumber, 3);
    EXPECT_EQ(archive->ReadRecords(byFlow, 167, 1).at(0).RecordNumber, 1);
    byFlow.Ascending = false;
    EXPECT_EQ(archive->ReadRecords(byFlow, 0, 1).at(0).RecordNumber, 497);
}

TEST_P(ArchiveBackendTest, LatestChainedDownloadIsTheNewestNewRecordsDownloadWithAChain) {
    auto archive = Backend->Open();
    const std::int64_t instrument = archive->EnsureInstrument(Instrument());
    EXPECT_FALSE(archive->LatestChainedDownload(instrument));
    const std::int64_t first = Download(*archive, instrument, kDownloadNew);
    archive->SetDownloadChain(first, {0, 100, 200, "2024-01-01 03:20", 200, std::nullopt});
    archive->EndDownload(first, "2024-06-01T12:01:00Z", kOutcomeStopped, 40);
    Download(*archive, instrument, kDownloadNew); // failed before it had a plan
    Download(*archive, instrument, kDownloadRecent);
    const auto latest = archive->LatestChainedDownload(instrument);
    ASSERT_TRUE(latest);
    EXPECT_EQ(latest->Id, first);
    EXPECT_EQ(latest->Outcome, kOutcomeStopped);
    EXPECT_EQ(latest->EndedAt, "2024-06-01T12:01:00Z");
    EXPECT_EQ(latest->RecordsReceived, 40);
    ASSERT_TRUE(latest->Chain);
    EXPECT_EQ(latest->Chain->ChainId, first);
    EXPECT_EQ(latest->Chain->WindowStart, 100);
    EXPECT_EQ(latest->Chain->BaseRecordedAt, "2024-01-01 03:20");
    EXPECT_FALSE(latest->Chain->NewestRecordedAt);
}

TEST_P(ArchiveBackendTest, DownloadsOfRangeAreThoseThatBroughtItsRecordsOfItsInstrument) {
    auto archive = Backend->Open();
    const std::int64_t a = archive->EnsureInstrument(Instrument("a"));
    const std::int64_t b = archive->EnsureInstrument(Instrument("b"));
    const std::int64_t early = Download(*archive, a);
    archive->AddRecords(a, early, Records(0, 10)); // minutes 0..9
    const std::int64_t late = Download(*archive, a, kDownloadNew);
    archive->SetDownloadChain(late, {0, 5, 9, "2024-01-01 00:09", 19, std::nullopt});
    archive->EndDownload(late, "2024-06-01T12:02:00Z", kOutcomeComplete, 10);
    archive->AddRecords(a, late, Records(5, 15)); // 5..9 kept by `early`, 10..19 new
    Download(*archive, a);                        // brought nothing
    const std::int64_t other = Download(*archive, b);
    archive->AddRecords(b, other, Records(0, 30));

    const auto ids = [&](const TRecordQuery& query) {
        std::vector<std::int64_t> result;
        for (const TDownloadRecord& d : archive->DownloadsOfRange(query)) {
            result.push_back(d.Id);
        }
        return result;
    };
    TRecordQuery query;
    query.InstrumentId = a;
    EXPECT_EQ(ids(query), (std::vector<std::int64_t>{early, late}));
    query.From = DateTimeOfMinute(12);
    EXPECT_EQ(ids(query), (std::vector<std::int64_t>{late}));
    query.From = DateTimeOfMinute(2);
    query.To = DateTimeOfMinute(8); // records of `late` there were already stored by `early`
    EXPECT_EQ(ids(query), (std::vector<std::int64_t>{early}));
    query.From = DateTimeOfMinute(25);
    query.To.clear();
    EXPECT_TRUE(ids(query).empty());
    EXPECT_EQ(ids({}), (std::vector<std::int64_t>{early, late, other}));

    query = {};
    query.InstrumentId = a;
    query.From = DateTimeOfMinute(15);
    const auto downloads = archive->DownloadsOfRange(query);
    ASSERT_EQ(downloads.size(), 1U);
    EXPECT_EQ(downloads[0].Kind, kDownloadNew);
    EXPECT_EQ(downloads[0].Outcome, kOutcomeComplete);
    EXPECT_EQ(downloads[0].EndedAt, "2024-06-01T12:02:00Z");
    EXPECT_EQ(downloads[0].RecordsReceived, 10);
    ASSERT_TRUE(downloads[0].Chain);
    EXPECT_EQ(downloads[0].Chain->NewestRecord, 19);
    EXPECT_FALSE(archive->DownloadsOfRange({}).front().Chain); // a plain download has none
}

TEST_P(ArchiveBackendTest, NewerSchemaIsRefusedAndAnEmptyDatabaseIsNoArchiveForReading) {
    EXPECT_EQ(FaultOf([&] { Backend->Open({}, true); }), afMissing);
    Backend->Open();
    Backend->Sql("UPDATE schema_version SET version = 7");
    try {
        Backend->Open();
        FAIL() << "opened";
    } catch (const EArchiveError& e) {
        EXPECT_EQ(e.Fault(), afNewerSchema);
        EXPECT_NE(std::string(e.what()).find("schema version 7; this version knows up to " +
                                             std::to_string(kArchiveSchemaVersion)),
                  std::string::npos)
            << e.what();
    }
    EXPECT_EQ(FaultOf([&] { Backend->Open({}, true); }), afNewerSchema);
    Backend->Sql("DELETE FROM schema_version");
    EXPECT_EQ(FaultOf([&] { Backend->Open(); }), afNotAnArchive);
}

TEST_P(ArchiveBackendTest, DatabaseOfAnotherProgramIsRefusedAndLeftAsItWas) {
    Backend->Sql("CREATE TABLE customers (name TEXT)");
    Backend->Sql("INSERT INTO customers VALUES ('a')");
    EXPECT_EQ(FaultOf([&] { Backend->Open(); }), afNotAnArchive);
    EXPECT_EQ(Backend->QueryInt("SELECT COUNT(*) FROM customers"), 1);
}

TEST_P(ArchiveBackendTest, MigrationsRunFromVersionOneEachWhollyOrNotAtAll) {
    {
        auto archive = Backend->Open();
        const std::int64_t instrument = archive->EnsureInstrument(Instrument());
        archive->AddRecords(instrument, Download(*archive, instrument), Records(1, 3));
    }
    const std::vector<TSchemaStep> history = ArchiveSchemaSteps(Backend->Dialect());
    const std::int32_t next = kArchiveSchemaVersion + 1;
    // A next version whose second statement fails: nothing of it stays.
    std::vector<TSchemaStep> broken = history;
    broken.push_back(
        {next, {"ALTER TABLE records ADD COLUMN note TEXT", "CREATE TABLE records (x INTEGER)"}});
    EXPECT_EQ(FaultOf([&] { Backend->Open(broken); }), afOther);
    EXPECT_EQ(Backend->Open()->Check().SchemaVersion, kArchiveSchemaVersion);

    std::vector<TSchemaStep> working = history;
    working.push_back({next, {"ALTER TABLE records ADD COLUMN note TEXT"}});
    working.push_back({next + 1, {"UPDATE records SET note = 'checked'"}});
    auto upgraded = Backend->Open(working);
    EXPECT_EQ(upgraded->Check().SchemaVersion, next + 1);
    EXPECT_EQ(upgraded->CountRecords({}), 3);
    EXPECT_EQ(Backend->QueryInt("SELECT COUNT(*) FROM records WHERE note = 'checked'"), 3);
    EXPECT_EQ(FaultOf([&] { Backend->Open(); }), afNewerSchema);
}

TEST_P(ArchiveBackendTest, WritersAtOnceStoreEveryRecordOnceAndCreateTheSchemaOnce) {
    // Four writers open the empty archive together and write overlapping batches of the same
    // two instruments: records 0..1199 of each, every one of them by all four.
    constexpr int kWriters = 4;
    struct TOutcome {
        std::string Failure;
        std::int64_t Added = 0;
    };
    std::vector<std::shared_ptr<TOutcome>> outcomes;
    std::vector<std::thread> threads;
    TBackend* backend = Backend.get();
    for (int w = 0; w < kWriters; ++w) {
        auto outcome = outcomes.emplace_back(std::make_shared<TOutcome>());
        threads.emplace_back([backend, w, outcome] {
            try {
                auto store = backend->Open();
                for (const char* name : {"north", "south"}) {
                    const std::int64_t instrument = store->EnsureInstrument(Instrument(name));
                    const std::int64_t download = Download(*store, instrument);
                    for (std::int32_t batch = 0; batch < 12; ++batch) {
                        // Every writer writes every batch, each starting at its own.
                        const std::int32_t first = ((batch + w) % 12) * 100;
                        outcome->Added +=
                            store->AddRecords(instrument, download, Records(first, 100));
                    }
                }
            } catch (const std::exception& e) {
                outcome->Failure = e.what();
            }
        });
    }
    for (auto& t : threads) {
        t.join();
    }
    std::int64_t added = 0;
    for (const auto& outcome : outcomes) {
        EXPECT_EQ(outcome->Failure, "");
        added += outcome->Added;
    }
    EXPECT_EQ(added, 2400);
    auto archive = Backend->Open();
    EXPECT_EQ(archive->CountRecords({}), 2400);
    EXPECT_EQ(archive->Instruments().size(), 2U);
    EXPECT_EQ(Backend->QueryInt("SELECT COUNT(*) FROM schema_version"), 1);
    EXPECT_TRUE(archive->Check().Sound());
}

#ifdef SONDREL_TEST_POSTGRESQL

class PostgresArchiveTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!Server.Available()) {
            GTEST_SKIP() << Server.SkipReason();
        }
        Database = Server.CreateDatabase("refusal");
    }
    // The message of opening the location, which must have failed.
    std::string Refusal(const std::string& text, TArchiveFault expected = afOther) {
        try {
            OpenArchive(*ParseArchiveLocation(text));
        } catch (const EArchiveError& e) {
            EXPECT_EQ(e.Fault(), expected) << e.what();
            EXPECT_EQ(std::string(e.what()).find(Server.Password()), std::string::npos) << e.what();
            return e.what();
        }
        ADD_FAILURE() << "opened " << text;
        return "";
    }

    TestSupport::TPostgresServer& Server = TestSupport::TPostgresServer::Shared();
    std::string Database;
};

TEST_F(PostgresArchiveTest, LocationsOfEveryFormOpenTheDatabaseAndNameItWithoutThePassword) {
    const std::string url = Server.Url(Database);
    const TArchiveLocation location = *ParseArchiveLocation(url);
    EXPECT_EQ(location.Backend, "postgresql");
    EXPECT_EQ(location.Text.find(Server.Password()), std::string::npos) << location.Text;
    EXPECT_NE(location.Text.find("archive:***@"), std::string::npos) << location.Text;
    EXPECT_EQ(OpenArchive(location)->Location(), location.Text);

    // postgres:// and key=value with the password in the environment.
    EXPECT_NO_THROW(OpenArchive(*ParseArchiveLocation("postgres" + url.substr(10))));
    const std::string keyValue = "host=" + Server.SocketFolder() + " user=" + Server.User() +
                                 " password='" + Server.Password() + "' dbname=" + Database;
    const TArchiveLocation kv = *ParseArchiveLocation(keyValue);
    EXPECT_EQ(kv.Backend, "postgresql");
    EXPECT_EQ(kv.Text.find(Server.Password()), std::string::npos) << kv.Text;
    auto store = OpenArchive(kv);
    store->EnsureInstrument(Instrument());
    // Read-only: reads work, writes are refused.
    TArchiveOpenOptions readOnly;
    readOnly.ReadOnly = true;
    auto reader = OpenArchive(kv, readOnly);
    EXPECT_EQ(reader->Instruments().size(), 1U);
    EXPECT_EQ(FaultOf([&] { reader->EnsureInstrument(Instrument("new")); }), afReadOnly);
}

TEST_F(PostgresArchiveTest, ServerThatIsNotThereOrRefusesTheLoginIsNamedWithoutThePassword) {
    const std::string wrong =
        "postgresql://archive:NotThePassword9@/" + Database + "?host=" + Server.SocketFolder();
    const std::string refused = Refusal(wrong);
    EXPECT_NE(refused.find("password authentication failed"), std::string::npos) << refused;
    EXPECT_EQ(refused.find("NotThePassword9"), std::string::npos) << refused;

    const std::string nowhere =
        "postgresql://archive:" + Server.Password() + "@/" + Database + "?host=/nonexistent";
    EXPECT_NE(Refusal(nowhere).find("cannot be reached"), std::string::npos);
    EXPECT_NE(
        Refusal("postgresql://archive:" + Server.Password() + "@/x?nosuchoption=1", afBadLocation)
            .find("no PostgreSQL connection string"),
        std::string::npos);
}

TEST_F(PostgresArchiveTest, ServerLostMidWayFailsTheWriteWholly) {
    auto store = OpenArchive(*ParseArchiveLocation(Server.Url(Database)));
    const std::int64_t instrument = store->EnsureInstrument(Instrument());
    TDownloadRecord d;
    d.InstrumentId = instrument;
    d.Kind = kDownloadRecent;
    const std::int64_t download = store->BeginDownload(d);
    EXPECT_EQ(store->AddRecords(instrument, download, Records(0, 10)), 10);
    Server.Stop();
    Server.Start();
    try {
        store->AddRecords(instrument, download, Records(10, 10));
        FAIL() << "wrote over a lost connection";
    } catch (const EArchiveError& e) {
        EXPECT_EQ(e.Fault(), afOther) << e.what();
        EXPECT_EQ(std::string(e.what()).find(Server.Password()), std::string::npos);
    }
    EXPECT_EQ(OpenArchive(*ParseArchiveLocation(Server.Url(Database)))->CountRecords({}), 10);
}

#endif

// --- excursion acknowledgements ---------------------------------------------------------------

namespace {

TExcursionAck Ack(std::int64_t instrument, const std::string& series, const std::string& kind,
                  std::int64_t startMinute, const std::string& by = "ops") {
    return {instrument,
            series,
            kind,
            DateTimeOfMinute(startMinute),
            by,
            "2024-06-02T08:30:00Z",
            "checked the filter"};
}

std::string RefusalOf(IArchiveStore& archive, const TExcursionAck& ack) {
    try {
        archive.AcknowledgeExcursion(ack);
    } catch (const EArchiveError& e) {
        return e.what();
    }
    return "stored";
}

} // namespace

TEST_P(ArchiveBackendTest, AcknowledgementIsReadBackAndAcknowledgingAgainReplacesIt) {
    auto archive = Backend->Open();
    const std::int64_t instrument = archive->EnsureInstrument(Instrument());
    const TExcursionAck first = Ack(instrument, "counts1", "alert high", 10);
    archive->AcknowledgeExcursion(first);
    EXPECT_EQ(archive->ExcursionAcks(std::nullopt, "", ""), std::vector<TExcursionAck>{first});

    // The same excursion again, by someone else with another comment: one row, the newest.
    TExcursionAck again = first;
    again.AcknowledgedBy = "Zoë Ops";
    again.AcknowledgedAt = "2024-06-03T09:00:00Z";
    again.Comment = "line one\nline two with 'quotes' and \"more\"";
    archive->AcknowledgeExcursion(again);
    // Another kind of the same series and start is another excursion.
    const TExcursionAck action = Ack(instrument, "counts1", "action high", 10);
    archive->AcknowledgeExcursion(action);

    auto reopened = Backend->Open();
    EXPECT_EQ(reopened->ExcursionAcks(instrument, "", ""),
              (std::vector<TExcursionAck>{action, again}));
    EXPECT_EQ(Backend->QueryInt("SELECT COUNT(*) FROM excursion_acks"), 2);
    const TArchiveCheck check = reopened->Check();
    EXPECT_EQ(check.ExcursionAcks, 2);
    EXPECT_TRUE(check.Sound());
}

TEST_P(ArchiveBackendTest, AcknowledgementsFollowTheRangeOfStartsAndTheInstrumentInOrder) {
    auto archive = Backend->Open();
    const std::int64_t a = archive->EnsureInstrument(Instrument("a"));
    const std::int64_t b = archive->EnsureInstrument(Instrument("b"));
    const TExcursionAck a30 = Ack(a, "total_ppb", "alert high", 30);
    const TExcursionAck b20 = Ack(b, "flow_rate", "action low", 20);
    const TExcursionAck a20 = Ack(a, "ppb2", "alert high", 20);
    const TExcursionAck a20b = Ack(a, "counts9", "alert high", 20);
    const TExcursionAck a40 = Ack(a, "counts1", "alert high", 40);
    for (const auto& ack : {a30, b20, a20, a20b, a40}) {
        archive->AcknowledgeExcursion(ack);
    }
    // By start, then instrument, series and kind.
    EXPECT_EQ(archive->ExcursionAcks(std::nullopt, "", ""),
              (std::vector<TExcursionAck>{a20b, a20, b20, a30, a40}));
    // Both ends inclusive.
    EXPECT_EQ(archive->ExcursionAcks(std::nullopt, DateTimeOfMinute(20), DateTimeOfMinute(30)),
              (std::vector<TExcursionAck>{a20b, a20, b20, a30}));
    EXPECT_EQ(archive->ExcursionAcks(a, DateTimeOfMinute(21), ""),
              (std::vector<TExcursionAck>{a30, a40}));
    EXPECT_EQ(archive->ExcursionAcks(b, "", DateTimeOfMinute(19)), std::vector<TExcursionAck>{});
    EXPECT_EQ(archive->ExcursionAcks(b + 100, "", ""), std::vector<TExcursionAck>{});
}

TEST_P(ArchiveBackendTest, BadAcknowledgementIsRefusedNamingWhatIsWrongAndNothingIsWritten) {
    auto archive = Backend->Open();
    const std::int64_t instrument = archive->EnsureInstrument(Instrument());
    const TExcursionAck good = Ack(instrument, "counts1", "alert high", 10);
    struct TCase {
        std::function<void(TExcursionAck&)> Spoil;
        std::string Named;
    };
    const std::vector<TCase> cases = {
        {[](TExcursionAck& a) { a.InstrumentId += 5; }, "no instrument"},
        {[](TExcursionAck& a) { a.InstrumentId = -1; }, "instrument id"},
        {[](TExcursionAck& a) { a.Series = "counts1'; DROP TABLE records; --"; }, "series"},
        {[](TExcursionAck& a) { a.Series = ""; }, "series"},
        {[](TExcursionAck& a) { a.LimitKind = "alert  high"; }, "limit kind"},
        {[](TExcursionAck& a) { a.LimitKind = std::string(41, 'a'); }, "limit kind"},
        {[](TExcursionAck& a) { a.StartedAt = "2024-01-01T00:10"; }, "start"},
        {[](TExcursionAck& a) { a.StartedAt = "2024-01-01 00:10:00"; }, "start"},
        {[](TExcursionAck& a) { a.AcknowledgedAt = "2024-06-02 08:30:00"; }, "time"},
        {[](TExcursionAck& a) { a.AcknowledgedBy = ""; }, "who"},
        {[](TExcursionAck& a) { a.AcknowledgedBy = std::string(201, 'x'); }, "200 characters"},
        {[](TExcursionAck& a) { a.AcknowledgedBy = "ops\nroot"; }, "control"},
        {[](TExcursionAck& a) { a.Comment = std::string(4001, 'c'); }, "4000 characters"},
        {[](TExcursionAck& a) { a.Comment = std::string("bad \xC3 byte"); }, "UTF-8"},
        {[](TExcursionAck& a) { a.Comment = std::string("nul\0byte", 8); }, "control"},
    };
    for (const TCase& c : cases) {
        TExcursionAck bad = good;
        c.Spoil(bad);
        const std::string refusal = RefusalOf(*archive, bad);
        EXPECT_NE(refusal.find(c.Named), std::string::npos) << c.Named << ": " << refusal;
    }
    EXPECT_EQ(Backend->QueryInt("SELECT COUNT(*) FROM excursion_acks"), 0);
    EXPECT_EQ(Backend->QueryInt("SELECT COUNT(*) FROM records"), 0);
    // At the bounds it is stored: 200 and 4000 characters of two bytes each.
    TExcursionAck longest = good;
    std::string who;
    for (int i = 0; i < 200; ++i) {
        who += "\xC3\xA9";
    }
    longest.AcknowledgedBy = who;
    longest.Comment = std::string(3999, 'c') + "\t";
    EXPECT_EQ(RefusalOf(*archive, longest), "stored");
    EXPECT_EQ(archive->ExcursionAcks(instrument, "", ""), std::vector<TExcursionAck>{longest});
}

TEST_P(ArchiveBackendTest, AcknowledgementSpoiledByHandIsLeftOutAndCheckCountsIt) {
    auto archive = Backend->Open();
    const std::int64_t instrument = archive->EnsureInstrument(Instrument());
    const TExcursionAck kept = Ack(instrument, "counts1", "alert high", 10);
    archive->AcknowledgeExcursion(kept);
    archive->AcknowledgeExcursion(Ack(instrument, "counts2", "alert high", 11));
    archive->AcknowledgeExcursion(Ack(instrument, "counts3", "alert high", 12));
    Backend->Sql("UPDATE excursion_acks SET acknowledged_at = 'yesterday' WHERE series = "
                 "'counts2'");
    Backend->Sql("UPDATE excursion_acks SET series = 'Counts 3' WHERE series = 'counts3'");
    EXPECT_EQ(archive->ExcursionAcks(std::nullopt, "", ""), std::vector<TExcursionAck>{kept});
    const TArchiveCheck check = archive->Check();
    EXPECT_EQ(check.ExcursionAcks, 3);
    EXPECT_EQ(check.DamagedExcursionAcks, 2);
    EXPECT_FALSE(check.Sound());
}

TEST_P(ArchiveBackendTest, VersionOneArchiveIsUpgradedOnOpenKeepingEveryRecord) {
    const std::vector<TSchemaStep> versionOne = {ArchiveSchemaSteps(Backend->Dialect()).front()};
    std::int64_t instrument = 0;
    {
        auto old = Backend->Open(versionOne);
        instrument = old->EnsureInstrument(Instrument());
        old->AddRecords(instrument, Download(*old, instrument), Records(1, 40));
        EXPECT_EQ(old->Check().SchemaVersion, 1);
    }
    // A reader cannot upgrade it; a writer does, once.
    EXPECT_EQ(FaultOf([&] { Backend->Open({}, true); }), afOlderSchema);
    auto upgraded = Backend->Open();
    const TArchiveCheck check = upgraded->Check();
    EXPECT_EQ(check.SchemaVersion, 2);
    EXPECT_EQ(check.Records, 40);
    EXPECT_TRUE(check.Sound());
    EXPECT_EQ(upgraded->ReadRecords({}, 39, 1).at(0).RecordNumber, 40);
    const TExcursionAck ack = Ack(instrument, "laser_condition", "action low", 5);
    upgraded->AcknowledgeExcursion(ack);
    EXPECT_EQ(Backend->Open({}, true)->ExcursionAcks(instrument, "", ""),
              std::vector<TExcursionAck>{ack});
    EXPECT_EQ(Backend->QueryInt("SELECT version FROM schema_version"), 2);
}
