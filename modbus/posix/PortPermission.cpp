#include "PortPermission.h"

#include "CorvaneError.h"

#include <vector>

#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Corvane {

namespace {

constexpr const char* kSerialGroup = "dialout";

std::string GroupName(gid_t gid) {
    long size = sysconf(_SC_GETGR_R_SIZE_MAX);
    std::vector<char> buffer(size > 0 ? static_cast<std::size_t>(size) : 16384);
    group entry{};
    group* found = nullptr;
    if (getgrgid_r(gid, &entry, buffer.data(), buffer.size(), &found) != 0 || found == nullptr ||
        found->gr_name == nullptr) {
        return {};
    }
    return found->gr_name;
}

} // namespace

std::string PortAccessGroup(const std::string& devicePath) {
    struct stat info {};
    if (stat(devicePath.c_str(), &info) != 0) {
        return kSerialGroup;
    }
    const bool groupMayUse = (info.st_mode & (S_IRGRP | S_IWGRP)) == (S_IRGRP | S_IWGRP);
    if (!groupMayUse || info.st_gid == 0) {
        return kSerialGroup;
    }
    const std::string name = GroupName(info.st_gid);
    return name.empty() ? kSerialGroup : name;
}

std::string PortPermissionDeniedText(const std::string& devicePath) {
    const std::string group = PortAccessGroup(devicePath);
    return std::string(MessageText(msgCouldNotOpenPort)) + " " + devicePath +
           ": permission denied. Only members of the group \"" + group +
           "\" may open it: check with \"id -nG\" that this user is one, or add the user with "
           "\"sudo usermod -aG " +
           group + " $USER\" and log in again.";
}

} // namespace Corvane
