#include "FileContents.h"

#include "ConsoleFileError.h"
#include "CorvaneError.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <random>
#include <system_error>

namespace Sondrel {

namespace {

struct TFileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using TFileHandle = std::unique_ptr<std::FILE, TFileCloser>;

std::string ErrnoText(int error) {
    return std::generic_category().message(error);
}

// A name beside the target that no other writer uses: the target's name, a marker and a random
// suffix. The file is created exclusively ("x"), so a clash is detected, never overwritten.
std::filesystem::path TemporaryPath(const std::filesystem::path& path, std::mt19937_64& random) {
    char suffix[24];
    std::snprintf(suffix, sizeof suffix, ".%012llx.tmp",
                  static_cast<unsigned long long>(random() & 0xFFFFFFFFFFFFull));
    std::filesystem::path temp = path;
    temp += suffix;
    return temp;
}

} // namespace

std::string CannotWriteText(const std::filesystem::path& path, const std::string& reason) {
    return Corvane::FormatText("Cannot write file \"%s\": %s", {path.string(), reason});
}

std::string CannotReadText(const std::filesystem::path& path, const std::string& reason) {
    return Corvane::FormatText("Cannot read file \"%s\": %s", {path.string(), reason});
}

TFileRead ReadFileCapped(const std::filesystem::path& path, std::size_t maxBytes) {
    TFileRead result;
    std::error_code ec;
    const auto status = std::filesystem::status(path, ec);
    if (!std::filesystem::exists(status)) {
        return result;
    }
    result.Exists = true;
    errno = 0;
    TFileHandle file(std::fopen(path.string().c_str(), "rb"));
    if (!file) {
        result.Error = CannotReadText(path, ErrnoText(errno));
        return result;
    }
    char chunk[16384];
    while (result.Bytes.size() < maxBytes) {
        const std::size_t want = std::min(sizeof chunk, maxBytes - result.Bytes.size());
        errno = 0;
        const std::size_t got = std::fread(chunk, 1, want, file.get());
        result.Bytes.append(chunk, got);
        if (got < want) {
            if (std::ferror(file.get())) {
                result.Error = CannotReadText(path, ErrnoText(errno != 0 ? errno : EIO));
            }
            return result;
        }
    }
    // The cap is reached: one more byte tells whether the file goes on.
    result.Truncated = std::fgetc(file.get()) != EOF;
    return result;
}

void ReplaceFileContents(const std::filesystem::path& path, std::string_view bytes) {
    std::random_device seed;
    std::mt19937_64 random((static_cast<std::uint64_t>(seed()) << 32) ^ seed());
    std::filesystem::path temp;
    TFileHandle file;
    for (int attempt = 0; attempt < 16 && !file; ++attempt) {
        temp = TemporaryPath(path, random);
        errno = 0;
        file.reset(std::fopen(temp.string().c_str(), "wbx"));
        if (!file && errno != EEXIST) {
            break;
        }
    }
    if (!file) {
        throw EConsoleFileError(path, CannotWriteText(path, ErrnoText(errno != 0 ? errno : EIO)));
    }

    const auto fail = [&](int error) {
        file.reset();
        std::error_code ignored;
        std::filesystem::remove(temp, ignored);
        throw EConsoleFileError(path, CannotWriteText(path, ErrnoText(error != 0 ? error : EIO)));
    };
    errno = 0;
    if (!bytes.empty() && std::fwrite(bytes.data(), 1, bytes.size(), file.get()) != bytes.size()) {
        fail(errno);
    }
    errno = 0;
    if (std::fflush(file.get()) != 0) {
        fail(errno);
    }
    errno = 0;
    if (std::fclose(file.release()) != 0) {
        fail(errno);
    }

    std::error_code ec;
    const auto oldStatus = std::filesystem::status(path, ec);
    if (!ec && std::filesystem::is_regular_file(oldStatus)) {
        std::filesystem::permissions(temp, oldStatus.permissions(), ec);
    }
    std::filesystem::rename(temp, path, ec);
    if (ec) {
        std::error_code ignored;
        std::filesystem::remove(temp, ignored);
        throw EConsoleFileError(path, CannotWriteText(path, ec.message()));
    }
}

} // namespace Sondrel
