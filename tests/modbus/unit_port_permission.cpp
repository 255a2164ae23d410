// The group named when a serial port may not be opened: the device node's own group when its
// members may read and write it, "dialout" whenever the node says nothing useful.
#include "posix/PortPermission.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Corvane;

namespace {

class AccessGroup : public ::testing::Test {
protected:
    void SetUp() override {
        Path = (std::filesystem::temp_directory_path() /
                ("sondrel-port-" + std::to_string(getpid()) + "-" +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name()))
                   .string();
        std::ofstream(Path).put('x');
        // A group other than root's: uucp for root, who may give a file to any group; the
        // user's own group for anyone else.
        if (geteuid() == 0) {
            const group* uucp = getgrnam("uucp");
            ASSERT_NE(uucp, nullptr);
            Gid = uucp->gr_gid;
        } else {
            Gid = getegid();
        }
        const group* entry = getgrgid(Gid);
        ASSERT_NE(entry, nullptr);
        GroupName = entry->gr_name;
    }
    void TearDown() override { std::remove(Path.c_str()); }

    void Give(gid_t gid, mode_t mode) {
        ASSERT_EQ(chown(Path.c_str(), static_cast<uid_t>(-1), gid), 0);
        ASSERT_EQ(chmod(Path.c_str(), mode), 0);
    }

    std::string Path;
    gid_t Gid = 0;
    std::string GroupName;
};

} // namespace

TEST_F(AccessGroup, TheNodesGroupIsNamedWhenItsMembersMayReadAndWrite) {
    Give(Gid, 0660);
    EXPECT_EQ(PortAccessGroup(Path), GroupName);
    EXPECT_NE(PortPermissionDeniedText(Path).find("group \"" + GroupName + "\""),
              std::string::npos);
}

TEST_F(AccessGroup, DialoutIsNamedWhenTheNodeGrantsItsGroupNothingOrIsGone) {
    Give(Gid, 0600);
    EXPECT_EQ(PortAccessGroup(Path), "dialout");
    Give(Gid, 0640); // read alone opens no serial port
    EXPECT_EQ(PortAccessGroup(Path), "dialout");
    Give(Gid, 0000);
    EXPECT_EQ(PortAccessGroup(Path), "dialout");
    EXPECT_EQ(PortAccessGroup(Path + "-missing"), "dialout");
}

TEST_F(AccessGroup, RootsGroupIsNeverOfferedToJoin) {
    if (geteuid() != 0) {
        GTEST_SKIP() << "only root may give a file to root's group";
    }
    Give(0, 0660);
    EXPECT_EQ(PortAccessGroup(Path), "dialout");
}
