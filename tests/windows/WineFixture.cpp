#include "WineFixture.h"

#include "UniqueFolder.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>

#include <fcntl.h>
#include <unistd.h>

namespace WineTests {

namespace {

namespace fs = std::filesystem;

std::string gPrefix;

std::string Trimmed(std::string text) {
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) {
        text.pop_back();
    }
    return text;
}

// Runs a shell command and returns its standard output.
std::string Capture(const std::string& command) {
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) {
        return {};
    }
    std::string out;
    char buffer[512];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) {
        out.append(buffer, n);
    }
    pclose(pipe);
    return Trimmed(out);
}

} // namespace

std::string WithLinuxLineEnds(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (!(text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')) {
            out += text[i];
        }
    }
    return out;
}

void WinePrefix::SetUp() {
    // No display, no installers, no Wine traces in the programs' output.
    unsetenv("DISPLAY");
    unsetenv("WAYLAND_DISPLAY");
    setenv("WINEDEBUG", "-all", 1);
    setenv("WINEDLLOVERRIDES", "mscoree,mshtml=", 1);
    const char* given = std::getenv("WINEPREFIX");
    if (given != nullptr && fs::is_directory(fs::path(given) / "ports")) {
        gPrefix = given;
        std::system((std::string("'") + SONDREL_WINE_BOOT_SCRIPT + "'").c_str());
        return;
    }
    FOwnPrefix = Capture(std::string("'") + SONDREL_WINE_PREFIX_SCRIPT + "'");
    if (FOwnPrefix.empty() || !fs::is_directory(fs::path(FOwnPrefix) / "ports")) {
        throw std::runtime_error("tests/windows/wine-prefix made no Wine prefix");
    }
    gPrefix = FOwnPrefix;
    setenv("WINEPREFIX", gPrefix.c_str(), 1);
}

void WinePrefix::TearDown() {
    if (!FOwnPrefix.empty()) {
        std::system(("WINEPREFIX='" + FOwnPrefix + "' wineserver -k 2>/dev/null").c_str());
        std::error_code ignored;
        fs::remove_all(FOwnPrefix, ignored);
    }
}

const std::string& WinePrefix::Path() {
    return gPrefix;
}

std::string WineFixture::WindowsProgram(const std::string& name) {
    const char* dir = std::getenv("SONDREL_MINGW_BIN_DIR");
    const fs::path path = fs::path(dir != nullptr ? dir : SONDREL_MINGW_BIN_DIR) / name;
    return fs::is_regular_file(path) ? path.string() : std::string();
}

void WineFixture::SetUp() {
    for (const char* program : {"sondrel-cli.exe", "sondrel-sim.exe"}) {
        if (WindowsProgram(program).empty()) {
            GTEST_SKIP() << program << " is not built: build the mingw preset first "
                         << "(cmake --preset mingw && cmake --build --preset mingw), or run "
                         << "scripts/test --windows";
        }
    }
    FFolder = TestSupport::MakeUniqueFolder("sondrel-wine-test-").string();
    FLink = std::make_unique<TestSupport::SocatLink>();
    // COM1 and COM2 of the prefix are both the link's end A (one program opens it at a time).
    // A pseudo-terminal hangs up (and socat ends) when its last descriptor closes: the one held
    // here keeps end A alive while the programs come and go.
    for (const char* port : {"com1", "com2"}) {
        const fs::path link = fs::path(WinePrefix::Path()) / "ports" / port;
        std::error_code ignored;
        fs::remove(link, ignored);
        fs::create_symlink(FLink->EndA(), link);
    }
    FHoldEndA = ::open(FLink->EndA().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    ASSERT_GE(FHoldEndA, 0);
}

void WineFixture::TearDown() {
    if (FHoldEndA >= 0) {
        ::close(FHoldEndA);
    }
    FLink.reset();
    if (!FFolder.empty()) {
        std::error_code ignored;
        fs::remove_all(FFolder, ignored);
    }
}

void WineFixture::PullCable() {
    FLink.reset();
}

std::string WineFixture::LinuxFile(const std::string& name) const {
    return (fs::path(FFolder) / name).string();
}

// Wine's drive Z: is the Linux root.
std::string WineFixture::WindowsFile(const std::string& name) const {
    std::string path = "Z:" + LinuxFile(name);
    for (char& c : path) {
        if (c == '/') {
            c = '\\';
        }
    }
    return path;
}

std::unique_ptr<TestSupport::ChildProcess>
WineFixture::StartWindows(const std::string& name, const std::vector<std::string>& args) {
    std::vector<std::string> argv = {"wine", WindowsProgram(name)};
    argv.insert(argv.end(), args.begin(), args.end());
    return std::make_unique<TestSupport::ChildProcess>(
        argv, TestSupport::ChildProcess::ErrorOutput::Capture);
}

E2eTests::ProgramRun WineFixture::RunWindows(const std::string& name,
                                             const std::vector<std::string>& args,
                                             std::chrono::milliseconds timeout) {
    const auto child = StartWindows(name, args);
    E2eTests::ProgramRun run = E2eTests::ProgramRun::Finish(*child, timeout);
    run.Out = WithLinuxLineEnds(run.Out);
    run.Err = WithLinuxLineEnds(run.Err);
    return run;
}

} // namespace WineTests

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::AddGlobalTestEnvironment(new WineTests::WinePrefix);
    return RUN_ALL_TESTS();
}
