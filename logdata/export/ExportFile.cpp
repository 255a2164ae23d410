#include "ExportFile.h"

#include "DiskSync.h"
#include "ExportError.h"

#include <array>
#include <cerrno>
#include <filesystem>
#include <random>
#include <system_error>

namespace Sondrel {

namespace {

constexpr int kNameAttempts = 100;

std::string OsReason(int error) {
    return std::generic_category().message(error);
}

std::string RandomTag() {
    thread_local std::mt19937_64 generator{std::random_device{}()};
    static constexpr char kDigits[] = "0123456789abcdefghijklmnopqrstuvwxyz";
    std::uniform_int_distribution<std::size_t> pick(0, sizeof kDigits - 2);
    std::string tag(8, '0');
    for (char& c : tag) {
        c = kDigits[pick(generator)];
    }
    return tag;
}

} // namespace

// A stream buffer over the temporary file that keeps the OS's reason of the first failed
// write. Once a write failed, every later one fails too.
class TExportFile::TStreamBuffer : public std::streambuf {
public:
    explicit TStreamBuffer(std::FILE* file) : FFile(file) {
        setp(FBuffer.data(), FBuffer.data() + FBuffer.size());
    }

    int Error() const { return FError; }

protected:
    int_type overflow(int_type ch) override {
        if (!Drain()) {
            return traits_type::eof();
        }
        if (!traits_type::eq_int_type(ch, traits_type::eof())) {
            *pptr() = traits_type::to_char_type(ch);
            pbump(1);
        }
        return traits_type::not_eof(ch);
    }

    int sync() override { return Drain() && std::fflush(FFile) == 0 ? 0 : -1; }

private:
    bool Drain() {
        if (FError != 0) {
            return false;
        }
        const auto size = static_cast<std::size_t>(pptr() - pbase());
        errno = 0;
        if (size != 0 && std::fwrite(pbase(), 1, size, FFile) != size) {
            FError = errno != 0 ? errno : EIO;
            return false;
        }
        setp(FBuffer.data(), FBuffer.data() + FBuffer.size());
        return true;
    }

    std::FILE* FFile;
    std::array<char, 64 * 1024> FBuffer{};
    int FError = 0;
};

void TExportFile::WriteStream(const std::string& target,
                              const std::function<void(std::ostream& out)>& body) {
    TExportFile file(target);
    try {
        body(file.Stream());
    } catch (const EExportError& e) {
        const std::string failure = file.WriteFailure();
        throw EExportError(file.ErrorText(failure.empty() ? e.what() : failure));
    }
    file.Commit();
}

void TExportFile::WritePath(const std::string& target,
                            const std::function<void(const std::string& path)>& body) {
    TExportFile file(target);
    file.CloseStream();
    try {
        body(file.TemporaryPath());
    } catch (const EExportError& e) {
        throw EExportError(file.ErrorText(e.what()));
    }
    file.Commit();
}

TExportFile::TExportFile(std::string target) : FTarget(std::move(target)) {
    const std::filesystem::path path(FTarget);
    const std::string name = path.filename().string();
    if (name.empty()) {
        throw EExportError(ErrorText("no file name given"));
    }
    const std::filesystem::path folder = path.has_parent_path() ? path.parent_path() : ".";
    for (int attempt = 0; attempt < kNameAttempts && FFile == nullptr; ++attempt) {
        FTemporaryPath = (folder / ("." + name + "." + RandomTag() + ".tmp")).string();
        errno = 0;
        // "x": created exclusively, never an existing file.
        FFile = std::fopen(FTemporaryPath.c_str(), "wbx");
        if (FFile == nullptr && errno != EEXIST) {
            throw EExportError(ErrorText(OsReason(errno != 0 ? errno : EIO)));
        }
    }
    if (FFile == nullptr) {
        throw EExportError(ErrorText("no free temporary file name in the folder"));
    }
    std::setvbuf(FFile, nullptr, _IONBF, 0); // the stream buffer does the buffering
    FBuffer = std::make_unique<TStreamBuffer>(FFile);
    FStream = std::make_unique<std::ostream>(FBuffer.get());
}

TExportFile::~TExportFile() {
    FStream.reset();
    FBuffer.reset();
    if (FFile != nullptr) {
        std::fclose(FFile);
    }
    if (!FCommitted) {
        std::error_code ignored;
        std::filesystem::remove(FTemporaryPath, ignored);
    }
}

std::ostream& TExportFile::Stream() {
    if (!FStream) {
        throw EExportError(ErrorText("the file is closed"));
    }
    return *FStream;
}

void TExportFile::CloseStream() {
    if (FStream) {
        FStream->flush();
    }
    const std::string failure = WriteFailure();
    FStream.reset();
    FBuffer.reset();
    if (FFile != nullptr) {
        errno = 0;
        const bool closed = std::fclose(FFile) == 0;
        const int error = errno;
        FFile = nullptr;
        if (!failure.empty()) {
            Fail(failure);
        }
        if (!closed) {
            Fail(OsReason(error != 0 ? error : EIO));
        }
    }
}

void TExportFile::Commit() {
    CloseStream();
    if (const std::error_code error = SyncFileToDisk(FTemporaryPath)) {
        Fail(error.message());
    }
    std::error_code error;
    std::filesystem::rename(FTemporaryPath, FTarget, error);
    if (error) {
        Fail(error.message());
    }
    FCommitted = true;
}

std::string TExportFile::ErrorText(const std::string& reason) const {
    return "Cannot write \"" + FTarget + "\": " + reason;
}

std::string TExportFile::WriteFailure() const {
    return FBuffer && FBuffer->Error() != 0 ? OsReason(FBuffer->Error()) : std::string();
}

void TExportFile::Fail(const std::string& reason) {
    throw EExportError(ErrorText(reason));
}

} // namespace Sondrel
