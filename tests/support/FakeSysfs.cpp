#include "FakeSysfs.h"

#include <fstream>
#include <stdexcept>
#include <stdlib.h>

namespace TestSupport {

namespace fs = std::filesystem;

FakeSysfs::FakeSysfs() {
    std::string pattern = (fs::temp_directory_path() / "sondrel-sysfs-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) {
        throw std::runtime_error("mkdtemp failed");
    }
    FRoot = pattern;
    fs::create_directories(TtyRoot());
}

FakeSysfs::~FakeSysfs() {
    std::error_code ignored;
    fs::remove_all(FRoot, ignored);
}

void FakeSysfs::AddTty(const std::string& name, const std::string& driver, int type) {
    const fs::path dir = fs::path(TtyRoot()) / name;
    fs::create_directories(dir);
    if (!driver.empty()) {
        const fs::path device = FRoot / "devices" / (name + "-dev");
        const fs::path driverDir = FRoot / "drivers" / driver;
        fs::create_directories(device);
        fs::create_directories(driverDir);
        if (!fs::exists(device / "driver")) {
            fs::create_directory_symlink(driverDir, device / "driver");
        }
        fs::create_directory_symlink(device, dir / "device");
    }
    if (type >= 0) {
        std::ofstream(dir / "type") << type << "\n";
    }
}

void FakeSysfs::RemoveTty(const std::string& name) {
    fs::remove_all(fs::path(TtyRoot()) / name);
    fs::remove_all(FRoot / "devices" / (name + "-dev"));
}

} // namespace TestSupport
