// A new, empty folder under the system's temporary folder, for the tests of every platform
// (POSIX's mkdtemp does not exist on Windows). The name is the prefix and a random suffix;
// creating the folder is what claims the name, so two tests never share one.
// Any thread. Header-only, so that test programs without the POSIX test_support library
// (the Windows build) can use it.
#pragma once

#include <filesystem>
#include <random>
#include <stdexcept>
#include <string>

namespace TestSupport {

inline std::filesystem::path MakeUniqueFolder(const std::string& prefix) {
    static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    std::random_device seed;
    std::mt19937 random(seed());
    std::uniform_int_distribution<std::size_t> pick(0, sizeof kLetters - 2);
    const std::filesystem::path root = std::filesystem::temp_directory_path();
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string name = prefix;
        for (int i = 0; i < 8; ++i) {
            name += kLetters[pick(random)];
        }
        std::error_code error;
        if (std::filesystem::create_directory(root / name, error)) {
            return root / name;
        }
    }
    throw std::runtime_error("no new temporary folder could be made in " + root.string());
}

} // namespace TestSupport
