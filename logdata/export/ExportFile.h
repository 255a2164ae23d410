// The file front end of the exports: a file is written beside its target under a temporary
// name and renamed over the target only when it is complete. A failed export therefore never
// leaves a partial file, and an existing file at the target stays as it was until the new one
// replaces it whole.
//
// The temporary file is created exclusively in the target's folder (".<name>.<random>.tmp"),
// so the rename never crosses file systems; it is flushed to disk before the rename. Whatever
// goes wrong, the temporary file is removed and EExportError is thrown with the message
// "Cannot write "<target>": <reason>", the reason being the OS's where the OS refused.
// The replaced file is a new file: it has the default permissions of a new file, not those of
// the file it replaces; a symbolic link at the target is replaced, not followed.
//
// Threads: any; one object per export, used by one thread.
#pragma once

#include <cstdio>
#include <functional>
#include <memory>
#include <ostream>
#include <string>

namespace Sondrel {

class TExportFile {
public:
    // Writes the target through a stream: body writes to the stream it is given.
    static void WriteStream(const std::string& target,
                            const std::function<void(std::ostream& out)>& body);
    // Writes the target through a path: body writes the file at the path it is given (an
    // empty file that it may replace).
    static void WritePath(const std::string& target,
                          const std::function<void(const std::string& path)>& body);

    // Creates the temporary file; throws EExportError.
    explicit TExportFile(std::string target);
    // Removes the temporary file unless Commit succeeded.
    ~TExportFile();
    TExportFile(const TExportFile&) = delete;
    TExportFile& operator=(const TExportFile&) = delete;

    const std::string& Target() const { return FTarget; }
    const std::string& TemporaryPath() const { return FTemporaryPath; }
    // Writes to the temporary file. A write that the OS refuses puts the stream in a failed
    // state and keeps the OS's reason for the error.
    std::ostream& Stream();
    // Closes the temporary file without committing, so that another writer may open it by its
    // path.
    void CloseStream();
    // Flushes the temporary file to disk and renames it over the target. Throws EExportError.
    void Commit();
    // "Cannot write "<target>": <reason>".
    std::string ErrorText(const std::string& reason) const;
    // The OS's reason of the first write that failed, or empty.
    std::string WriteFailure() const;

private:
    class TStreamBuffer;

    void Fail(const std::string& reason);

    std::string FTarget;
    std::string FTemporaryPath;
    std::FILE* FFile = nullptr;
    std::unique_ptr<TStreamBuffer> FBuffer;
    std::unique_ptr<std::ostream> FStream;
    bool FCommitted = false;
};

} // namespace Sondrel
