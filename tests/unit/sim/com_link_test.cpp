#include "sim/com_link.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "sim/pty_host.h"

namespace {

namespace fs = std::filesystem;

class ComLink : public testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/quillbox-sim-test-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        root = pattern;
        ports = root + "/run/quillbox/ports";
    }
    void TearDown() override { fs::remove_all(root); }

    static std::string LinkTarget(const std::string& path) {
        std::error_code error;
        const fs::path target = fs::read_symlink(path, error);
        return error ? "<no link>" : target.string();
    }
    static unsigned Mode(const std::string& path) {
        struct stat info {};
        return lstat(path.c_str(), &info) == 0 ? info.st_mode & 07777 : 0u;
    }

    std::string root;
    std::string ports;
};

TEST_F(ComLink, HostLinksItsSlaveInAPrivateFolderAndRemovesTheLink) {
    std::string slave;
    {
        PtyHost host{DeviceModel()};
        ASSERT_TRUE(host.Start());
        slave = host.SlavePath();
        std::string error;
        ASSERT_TRUE(host.LinkAsCom(7, ports, &error)) << error;
        EXPECT_EQ(LinkTarget(ports + "/COM7"), slave);
        EXPECT_EQ(Mode(ports), 0700u);
        EXPECT_EQ(Mode(root + "/run/quillbox"), 0700u);
        EXPECT_EQ(Mode(root + "/run"), 0700u);

        ASSERT_TRUE(host.LinkAsCom(12, ports, &error)) << error;
        EXPECT_EQ(LinkTarget(ports + "/COM12"), slave);
        EXPECT_FALSE(fs::exists(fs::symlink_status(ports + "/COM7")));
    }
    EXPECT_FALSE(fs::exists(fs::symlink_status(ports + "/COM12")));
    EXPECT_TRUE(fs::is_empty(ports));
}

TEST_F(ComLink, ReplacesAnOldLinkButNoOtherFile) {
    fs::create_directories(ports);
    fs::create_symlink("/dev/pts/stale", ports + "/COM9");
    std::ofstream(ports + "/COM10") << "keep me";

    std::string linkPath;
    std::string error;
    ASSERT_TRUE(MakeComLink(9, ports, "/dev/pts/77", &linkPath, &error)) << error;
    EXPECT_EQ(linkPath, ports + "/COM9");
    EXPECT_EQ(LinkTarget(ports + "/COM9"), "/dev/pts/77");

    EXPECT_FALSE(MakeComLink(10, ports, "/dev/pts/77", &linkPath, &error));
    EXPECT_NE(error.find("COM10"), std::string::npos) << error;
    EXPECT_TRUE(fs::is_regular_file(ports + "/COM10"));
    EXPECT_EQ(std::distance(fs::directory_iterator(ports), fs::directory_iterator()), 2);
}

TEST_F(ComLink, RefusesNumbersTheProgramDoesNotOfferAndUnsafeFolders) {
    std::string linkPath;
    std::string error;
    for (int number : {0, -1, 31, 1000}) {
        error.clear();
        EXPECT_FALSE(MakeComLink(number, ports, "/dev/pts/1", &linkPath, &error)) << number;
        EXPECT_FALSE(error.empty());
    }
    EXPECT_FALSE(fs::exists(ports));

    fs::create_directories(root + "/elsewhere");
    fs::create_directories(root + "/run");
    fs::create_directory_symlink(root + "/elsewhere", root + "/run/ports");
    EXPECT_FALSE(MakeComLink(3, root + "/run/ports", "/dev/pts/1", &linkPath, &error));
    EXPECT_TRUE(fs::is_empty(root + "/elsewhere"));

    std::ofstream(root + "/file") << "x";
    EXPECT_FALSE(MakeComLink(3, root + "/file/ports", "/dev/pts/1", &linkPath, &error));
    EXPECT_FALSE(MakeComLink(3, "", "/dev/pts/1", &linkPath, &error));
}

TEST_F(ComLink, RemovesOnlyALinkThatStillPointsToItsDevice) {
    std::string linkPath;
    std::string error;
    ASSERT_TRUE(MakeComLink(5, ports, "/dev/pts/41", &linkPath, &error)) << error;
    RemoveComLinkIfOurs(linkPath, "/dev/pts/42");
    EXPECT_EQ(LinkTarget(linkPath), "/dev/pts/41");
    RemoveComLinkIfOurs(linkPath, "/dev/pts/41");
    EXPECT_FALSE(fs::exists(fs::symlink_status(linkPath)));
    RemoveComLinkIfOurs(linkPath, "/dev/pts/41");
}

TEST(ComLinksDir, FollowsTheRuntimeFolderElseAPerUserTemporaryOne) {
    EXPECT_EQ(DefaultComLinksDir("/run/user/1000", 1000), "/run/user/1000/quillbox/ports");
    EXPECT_EQ(DefaultComLinksDir(nullptr, 1000), "/tmp/quillbox-1000/ports");
    EXPECT_EQ(DefaultComLinksDir("", 42), "/tmp/quillbox-42/ports");
}

}  // namespace
