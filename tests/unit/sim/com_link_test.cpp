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

std::string Target(const std::string& path) {
    std::error_code error;
    return fs::read_symlink(path, error).string();
}

TEST(ComLink, MadeInPrivateFoldersReplacingOnlyLinksAndRemovedWithTheHost) {
    char pattern[] = "/tmp/quillbox-sim-test-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    const std::string root = pattern;
    const std::string ports = root + "/run/quillbox/ports";
    std::string linkPath;
    std::string error;
    {
        PtyHost host{DeviceModel()};
        EXPECT_FALSE(host.LinkAsCom(7, ports, &error));  // not started
        ASSERT_TRUE(host.Start());
        ASSERT_TRUE(host.LinkAsCom(7, ports, &error)) << error;
        EXPECT_EQ(Target(ports + "/COM7"), host.SlavePath());
        for (const std::string& folder : {ports, root + "/run/quillbox", root + "/run"}) {
            EXPECT_EQ(fs::status(folder).permissions(), fs::perms::owner_all) << folder;
        }
        ASSERT_TRUE(host.LinkAsCom(12, ports, &error)) << error;
        EXPECT_EQ(Target(ports + "/COM7"), "");
    }
    EXPECT_TRUE(fs::is_empty(ports));

    fs::create_symlink("/dev/pts/stale", ports + "/COM9");
    std::ofstream(ports + "/COM10") << "keep me";
    EXPECT_TRUE(MakeComLink(9, ports, "/dev/pts/77", &linkPath, &error)) << error;
    EXPECT_EQ(Target(ports + "/COM9"), "/dev/pts/77");
    RemoveComLinkIfOurs(linkPath, "/dev/pts/78");
    EXPECT_EQ(Target(ports + "/COM9"), "/dev/pts/77");
    for (int number : {10, 0, 31}) {
        EXPECT_FALSE(MakeComLink(number, ports, "/dev/pts/1", &linkPath, &error)) << number;
    }
    EXPECT_TRUE(fs::is_regular_file(ports + "/COM10"));
    // A runtime folder that others can write could have its links redirected.
    chmod((root + "/run").c_str(), 0777);
    EXPECT_FALSE(MakeComLink(3, ports, "/dev/pts/1", &linkPath, &error));
    EXPECT_NE(error.find(root + "/run "), std::string::npos) << error;
    fs::create_directory_symlink(root + "/run", root + "/linked");
    EXPECT_FALSE(MakeComLink(3, root + "/linked", "/dev/pts/1", &linkPath, &error));
    fs::remove_all(root);
}

}  // namespace
