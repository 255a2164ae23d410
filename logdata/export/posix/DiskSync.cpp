// fsync of a file by its path, retried on EINTR.
#include "DiskSync.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace Sondrel {

std::error_code SyncFileToDisk(const std::string& path) {
    int fd = -1;
    do {
        fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        return {errno, std::generic_category()};
    }
    int result = 0;
    do {
        result = ::fsync(fd);
    } while (result != 0 && errno == EINTR);
    const int error = result != 0 ? errno : 0;
    ::close(fd);
    return error != 0 ? std::error_code(error, std::generic_category()) : std::error_code();
}

} // namespace Sondrel
