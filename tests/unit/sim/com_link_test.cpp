#include "sim/com_link.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "sim/pty_host.h"
#include "tests/unit/link/temp_tree.h"

namespace {

namespace fs = std::filesystem;

TEST(ComLink, MadeInPrivateFoldersReplacingOnlyLinksAndRemovedWithTheHost) {
    const TempTree tree;
    const std::string root = tree.Path("sim");
    const std::string ports = root + "/run/quillbox/ports";
    std::string linkPath;
    std::string error;
    {
        PtyHost host{DeviceModel()};
        ASSERT_TRUE(host.Start());
        ASSERT_TRUE(host.LinkAsCom(7, ports, &error)) << error;
        EXPECT_EQ(fs::read_symlink(ports + "/COM7"), host.SlavePath());
        for (const std::string& folder : {ports, root + "/run/quillbox", root + "/run"}) {
            EXPECT_EQ(fs::status(folder).permissions(), fs::perms::owner_all) << folder;
        }
    }
    EXPECT_TRUE(fs::is_empty(ports));
    fs::create_symlink("/dev/pts/stale", ports + "/COM9");  // left by a simulator that died
    EXPECT_TRUE(MakeComLink(9, ports, "/dev/pts/77", &linkPath, &error)) << error;
    std::ofstream(ports + "/COM10") << "keep me";
    EXPECT_FALSE(MakeComLink(10, ports, "/dev/pts/1", &linkPath, &error));
    EXPECT_TRUE(fs::is_regular_file(ports + "/COM10"));
    chmod((root + "/run").c_str(), 0777);  // another user could swap the folders under it
    EXPECT_FALSE(MakeComLink(3, ports, "/dev/pts/1", &linkPath, &error));
    EXPECT_NE(error.find(root + "/run "), std::string::npos) << error;
    EXPECT_FALSE(fs::exists(ports + "/COM3"));
}

}  // namespace
