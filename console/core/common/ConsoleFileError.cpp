#include "ConsoleFileError.h"

namespace Sondrel {

EConsoleFileError::EConsoleFileError(std::filesystem::path path, const std::string& text)
    : std::runtime_error(text), FPath(std::move(path)) {}

} // namespace Sondrel
