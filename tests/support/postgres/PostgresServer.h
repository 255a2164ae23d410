// TPostgresServer: a PostgreSQL server that a test process starts for itself.
//
// initdb makes a cluster in a new temporary folder, with one superuser ("archive") whose
// password is made up for the run and checked by scram-sha-256 on every connection; pg_ctl
// starts it listening on a Unix socket in that folder only (no TCP port), and the destructor
// stops it and removes the folder. initdb refuses to run as root: a test run as root runs the
// server's programs as the "postgres" user (runuser), who then owns the folder.
//
// The binaries are Debian's (/usr/lib/postgresql/<version>/bin, the newest); Available() is
// false when there are none, and SkipReason() says so for GTEST_SKIP.
//
// Threads: one thread starts and stops it; the connection strings may be used anywhere.
#pragma once

#include <memory>
#include <string>
#include <vector>

namespace TestSupport {

class TPostgresServer {
public:
    TPostgresServer();
    ~TPostgresServer();
    TPostgresServer(const TPostgresServer&) = delete;
    TPostgresServer& operator=(const TPostgresServer&) = delete;

    // The server of this test process, started on first use and stopped when it exits.
    static TPostgresServer& Shared();

    bool Available() const { return FRunning; }
    const std::string& SkipReason() const { return FSkipReason; }

    const std::string& Password() const { return FPassword; }
    const std::string& SocketFolder() const { return FFolder; }
    const std::string& User() const { return FUser; }
    // The URL of a database, password included.
    std::string Url(const std::string& database) const;
    // A new empty database, its name unique in this server ("<prefix>_<n>").
    std::string CreateDatabase(const std::string& prefix);
    // Runs SQL in a database as the superuser; throws EArchiveError on failure.
    void Sql(const std::string& database, const std::string& sql) const;
    // Runs a query and returns its first column of its first row.
    std::string Query(const std::string& database, const std::string& sql) const;
    // Stops the server (immediate shutdown) and starts it again, for tests of a lost server.
    void Stop();
    void Start();

private:
    // Runs a server program, as the "postgres" user when this process is root; its exit status.
    int RunTool(const std::string& tool, const std::vector<std::string>& arguments) const;

    std::string FBin;
    std::string FFolder;
    std::string FUser = "archive";
    std::string FPassword;
    bool FRunning = false;
    bool FAsPostgres = false;
    std::string FSkipReason;
    int FDatabases = 0;
};

} // namespace TestSupport
