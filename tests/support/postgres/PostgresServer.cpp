#include "PostgresServer.h"

#include "ChildProcess.h"
#include "PostgresDatabase.h"
#include "UniqueFolder.h"

#include <filesystem>
#include <fstream>
#include <pwd.h>
#include <random>
#include <stdexcept>
#include <unistd.h>

namespace TestSupport {

namespace {

namespace fs = std::filesystem;

// The newest /usr/lib/postgresql/<version>/bin that has initdb, pg_ctl and postgres.
std::string FindBinaries() {
    std::string best;
    int bestVersion = -1;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator("/usr/lib/postgresql", error)) {
        const fs::path bin = entry.path() / "bin";
        if (!fs::exists(bin / "initdb") || !fs::exists(bin / "pg_ctl") ||
            !fs::exists(bin / "postgres")) {
            continue;
        }
        const int version = std::atoi(entry.path().filename().c_str());
        if (version > bestVersion) {
            bestVersion = version;
            best = bin.string();
        }
    }
    return best;
}

std::string MadeUpPassword() {
    static constexpr char kLetters[] = "abcdefghijkmnopqrstuvwxyzABCDEFGHJKLMNPQRSTUVWXYZ23456789";
    std::random_device seed;
    std::mt19937 random(seed());
    std::uniform_int_distribution<std::size_t> pick(0, sizeof kLetters - 2);
    std::string password = "Pw";
    for (int i = 0; i < 20; ++i) {
        password += kLetters[pick(random)];
    }
    return password;
}

} // namespace

TPostgresServer::TPostgresServer() {
    FBin = FindBinaries();
    if (FBin.empty()) {
        FSkipReason = "no PostgreSQL server binaries in /usr/lib/postgresql/*/bin (package "
                      "postgresql)";
        return;
    }
    FFolder = MakeUniqueFolder("pg-").string();
    FPassword = MadeUpPassword();
    FAsPostgres = geteuid() == 0;
    const std::string passwordFile = FFolder + "/password";
    {
        std::ofstream out(passwordFile);
        out << FPassword << "\n";
    }
    if (FAsPostgres) {
        const passwd* user = getpwnam("postgres");
        if (user == nullptr) {
            FSkipReason = "the tests run as root and there is no \"postgres\" user to run the "
                          "server as";
            return;
        }
        if (chown(FFolder.c_str(), user->pw_uid, user->pw_gid) != 0 ||
            chown(passwordFile.c_str(), user->pw_uid, user->pw_gid) != 0) {
            throw std::runtime_error("cannot give " + FFolder + " to the postgres user");
        }
    }
    if (RunTool("initdb", {"-D", FFolder + "/data", "-U", FUser, "--pwfile=" + passwordFile, "-A",
                           "scram-sha-256", "-E", "UTF8", "--locale=C", "--no-sync"}) != 0) {
        throw std::runtime_error("initdb failed in " + FFolder);
    }
    fs::remove(passwordFile);
    Start();
}

TPostgresServer::~TPostgresServer() {
    if (FRunning) {
        Stop();
    }
    if (!FFolder.empty()) {
        std::error_code error;
        fs::remove_all(FFolder, error);
    }
}

TPostgresServer& TPostgresServer::Shared() {
    static TPostgresServer server;
    return server;
}

int TPostgresServer::RunTool(const std::string& tool,
                             const std::vector<std::string>& arguments) const {
    std::vector<std::string> argv;
    if (FAsPostgres) {
        argv = {"runuser", "-u", "postgres", "--"};
    }
    argv.push_back(FBin + "/" + tool);
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    ChildProcess child(argv, ChildProcess::ErrorOutput::Capture);
    const int status = child.Wait(std::chrono::seconds(120));
    if (status != 0) {
        std::fprintf(stderr, "%s failed (%d):\n%s%s\n", tool.c_str(), status,
                     child.Output().c_str(), child.Errors().c_str());
    }
    return status;
}

void TPostgresServer::Start() {
    // No TCP at all; the socket lies in the test's own folder. fsync off: a test's data need
    // not survive a power loss.
    const std::string options = "-c listen_addresses='' -c unix_socket_directories='" + FFolder +
                                "' -c fsync=off -c max_connections=60";
    if (RunTool("pg_ctl", {"start", "-w", "-t", "60", "-D", FFolder + "/data", "-l",
                           FFolder + "/server.log", "-o", options}) != 0) {
        throw std::runtime_error("the PostgreSQL server did not start (" + FFolder +
                                 "/server.log)");
    }
    FRunning = true;
}

void TPostgresServer::Stop() {
    RunTool("pg_ctl", {"stop", "-w", "-m", "immediate", "-D", FFolder + "/data"});
    FRunning = false;
}

std::string TPostgresServer::Url(const std::string& database) const {
    return "postgresql://" + FUser + ":" + FPassword + "@/" + database + "?host=" + FFolder;
}

std::string TPostgresServer::CreateDatabase(const std::string& prefix) {
    const std::string name = prefix + "_" + std::to_string(++FDatabases);
    Sql("postgres", "CREATE DATABASE " + name);
    return name;
}

void TPostgresServer::Sql(const std::string& database, const std::string& sql) const {
    Sondrel::TPgConnection connection(Url(database), database);
    connection.Execute(sql);
}

std::string TPostgresServer::Query(const std::string& database, const std::string& sql) const {
    Sondrel::TPgConnection connection(Url(database), database);
    return connection.Execute(sql).Text(0, 0);
}

} // namespace TestSupport
