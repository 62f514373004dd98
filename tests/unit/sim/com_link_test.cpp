#include "sim/com_link.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>

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

    std::string root;
    std::string ports;
    std::string linkPath;
    std::string error;
};

TEST_F(ComLink, HostLinksOnlyOnceStartedInAPrivateFolderAndRemovesTheLink) {
    {
        PtyHost host{DeviceModel()};
        EXPECT_FALSE(host.LinkAsCom(7, ports, &error));
        EXPECT_FALSE(error.empty());
        ASSERT_TRUE(host.Start());
        EXPECT_FALSE(host.Start());
        const std::string slave = host.SlavePath();
        EXPECT_EQ(slave.rfind("/dev/pts/", 0), 0u) << slave;
        ASSERT_TRUE(host.LinkAsCom(7, ports, &error)) << error;
        EXPECT_EQ(LinkTarget(ports + "/COM7"), slave);
        for (const std::string& folder : {ports, root + "/run/quillbox", root + "/run"}) {
            struct stat info {};
            ASSERT_EQ(lstat(folder.c_str(), &info), 0) << folder;
            EXPECT_EQ(info.st_mode & 07777, 0700u) << folder;
        }
        ASSERT_TRUE(host.LinkAsCom(12, ports, &error)) << error;
        EXPECT_EQ(LinkTarget(ports + "/COM12"), slave);
        EXPECT_EQ(LinkTarget(ports + "/COM7"), "<no link>");
    }
    EXPECT_TRUE(fs::is_empty(ports));
}

// An old link is replaced, any other file kept; only a link to our device is removed; no
// number outside 1..30 and no folder that is a link or not a folder is used.
TEST_F(ComLink, ReplacesOnlyLinksAndRefusesBadNumbersAndUnsafeFolders) {
    fs::create_directories(ports);
    fs::create_symlink("/dev/pts/stale", ports + "/COM9");
    std::ofstream(ports + "/COM10") << "keep me";
    ASSERT_TRUE(MakeComLink(9, ports, "/dev/pts/77", &linkPath, &error)) << error;
    EXPECT_EQ(linkPath, ports + "/COM9");
    EXPECT_EQ(LinkTarget(ports + "/COM9"), "/dev/pts/77");
    EXPECT_FALSE(MakeComLink(10, ports, "/dev/pts/77", &linkPath, &error));
    EXPECT_NE(error.find("COM10"), std::string::npos) << error;
    EXPECT_TRUE(fs::is_regular_file(ports + "/COM10"));
    RemoveComLinkIfOurs(ports + "/COM9", "/dev/pts/78");
    EXPECT_EQ(LinkTarget(ports + "/COM9"), "/dev/pts/77");
    RemoveComLinkIfOurs(ports + "/COM9", "/dev/pts/77");
    EXPECT_EQ(LinkTarget(ports + "/COM9"), "<no link>");
    RemoveComLinkIfOurs(ports + "/COM9", "/dev/pts/77");

    for (int number : {0, -1, 31, 1000}) {
        error.clear();
        EXPECT_FALSE(MakeComLink(number, ports, "/dev/pts/1", &linkPath, &error)) << number;
        EXPECT_FALSE(error.empty());
    }
    EXPECT_EQ(std::distance(fs::directory_iterator(ports), fs::directory_iterator()), 1);
    fs::create_directories(root + "/elsewhere");
    fs::create_directory_symlink(root + "/elsewhere", root + "/run/linked");
    EXPECT_FALSE(MakeComLink(3, root + "/run/linked", "/dev/pts/1", &linkPath, &error));
    EXPECT_TRUE(fs::is_empty(root + "/elsewhere"));
    EXPECT_FALSE(MakeComLink(3, ports + "/COM10/ports", "/dev/pts/1", &linkPath, &error));
    EXPECT_FALSE(MakeComLink(3, "", "/dev/pts/1", &linkPath, &error));
}

}  // namespace
