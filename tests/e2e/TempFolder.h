// A new folder under the system's temporary folder, removed with everything in it at the end of
// the test; `folder / "name"` is the path of a file in it.
#pragma once

#include "UniqueFolder.h"

#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <string>

namespace E2eTests {

class TempFolder {
public:
    TempFolder() : FPath(TestSupport::MakeUniqueFolder("e2e-")) {}
    ~TempFolder() {
        std::error_code ec;
        std::filesystem::remove_all(FPath, ec);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    std::string operator/(const std::string& name) const { return (FPath / name).string(); }

private:
    std::filesystem::path FPath;
};

} // namespace E2eTests
