// Helpers of the console tests: a temporary folder removed after the test, whole-file reads
// and writes, and a log view that records its lines.
#pragma once

#include "LogView.h"

#include "UniqueFolder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace ConsoleTest {

class TTempFolder {
public:
    TTempFolder() : FPath(TestSupport::MakeUniqueFolder("console-test-")) {}
    ~TTempFolder() {
        std::error_code ec;
        std::filesystem::permissions(FPath, std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ec);
        std::filesystem::remove_all(FPath, ec);
    }
    TTempFolder(const TTempFolder&) = delete;
    TTempFolder& operator=(const TTempFolder&) = delete;

    const std::filesystem::path& Path() const { return FPath; }
    std::filesystem::path operator/(const std::string& name) const { return FPath / name; }

private:
    std::filesystem::path FPath;
};

inline std::string ReadAll(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteAll(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// The names in a folder (to see that no temporary file was left behind).
inline std::vector<std::string> FileNames(const std::filesystem::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        names.push_back(entry.path().filename().string());
    }
    return names;
}

struct TRecordedLine {
    std::string Text;
    Sondrel::TLogStyle Style;
};

class TRecordingView : public Sondrel::ILogView {
public:
    void AppendLine(const std::string& line, const Sondrel::TLogStyle& style) override {
        Lines.push_back({line, style});
    }
    void Clear() override { Lines.clear(); }

    std::vector<std::string> Texts() const {
        std::vector<std::string> texts;
        for (const auto& l : Lines) {
            texts.push_back(l.Text);
        }
        return texts;
    }

    std::vector<TRecordedLine> Lines;
};

} // namespace ConsoleTest
