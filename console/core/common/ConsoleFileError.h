// The error raised when one of the console's files (settings file, item map, transaction log)
// cannot be read or written. The text names the file and the reason; Path() gives the file.
// A plain value: any thread may raise, copy or read it.
#pragma once

#include <filesystem>
#include <stdexcept>
#include <string>

namespace Sondrel {

class EConsoleFileError : public std::runtime_error {
public:
    EConsoleFileError(std::filesystem::path path, const std::string& text);

    const std::filesystem::path& Path() const { return FPath; }

private:
    std::filesystem::path FPath;
};

} // namespace Sondrel
