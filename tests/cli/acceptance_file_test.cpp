// The acceptance flag in the window's settings file, set by `quillbox-cli agree`.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <tuple>

#include "cli/acceptance_file.h"
#include "tests/unit/link/temp_tree.h"

namespace {

namespace fs = std::filesystem;

constexpr const char* kFile = "config/TavrelSystems/quillbox.conf";

// Each file there before is 0640, and a linked one lives in dotfiles/: either keeps its mode
// and its link; a new file is the user's alone.
TEST(AcceptanceFile, SetsTheOneKeyInTheOneGroupAndKeepsTheRest) {
    // The file before (nullptr: none), whether it is linked, the file after.
    // clang-format off
    const std::tuple<const char*, bool, std::string> rows[] = {
        {nullptr, false, "[SETTINGS]\nAGREEMENT=1\n"},
        {"[General]\nx=2", false, "[General]\nx=2\n[SETTINGS]\nAGREEMENT=1\n"},
        {"[General]\nx=2\n", true, "[General]\nx=2\n[SETTINGS]\nAGREEMENT=1\n"},
        {"[SETTINGS]\nAGREEMENT=0\nLANG=ko\n\n[W]\ng=@Rect(0 0 9 9)\n", false, "[SETTINGS]\nAGREEMENT=1\nLANG=ko\n\n[W]\ng=@Rect(0 0 9 9)\n"},
        {"[SETTINGS]\nLANG=ko\n\n[W]\nw=1\n", false, "[SETTINGS]\nLANG=ko\nAGREEMENT=1\n\n[W]\nw=1\n"},
        {"[SETTINGS]\r\n AGREEMENT = 0\r\nX=1\r\n", false, "[SETTINGS]\r\nAGREEMENT=1\nX=1\r\n"},
        // Groups of one name read as one, a later value winning.
        {"[SETTINGS]\nAGREEMENT=1\n[X]\nb=2\n[SETTINGS]\nAGREEMENT=0\nC=3", false, "[SETTINGS]\nAGREEMENT=1\nC=3\n[X]\nb=2\n"},
        {"[Other]\nAGREEMENT=1\n; AGREEMENT=1\n", false, "[Other]\nAGREEMENT=1\n; AGREEMENT=1\n[SETTINGS]\nAGREEMENT=1\n"},
        {"[SETTINGS]\nAGREEMENT=11\n", false, "[SETTINGS]\nAGREEMENT=1\n"},
    };
    // clang-format on
    for (const auto& [before, linked, after] : rows) {
        SCOPED_TRACE(after);
        TempTree tree;
        setenv("XDG_CONFIG_HOME", tree.Path("config").c_str(), 1);
        const std::string path = tree.Path(kFile);
        ASSERT_EQ(AcceptanceFilePath(), path);
        const std::string file = linked ? "dotfiles/quillbox.conf" : kFile;
        if (before != nullptr) {
            tree.WriteFile(file, before);
            fs::permissions(tree.Path(file), fs::perms(0640));
        }
        if (linked) {
            tree.MakeLink(kFile, tree.Path(file));
        }
        EXPECT_FALSE(AcceptanceStored());
        // A second agree finds the flag in place and leaves the file as the first left it.
        for (int run = 1; run <= 2; ++run) {
            std::string why;
            ASSERT_TRUE(StoreAcceptance(why)) << why;
            EXPECT_EQ(TempTree::Read(path), after) << run;
            EXPECT_TRUE(AcceptanceStored());
        }
        EXPECT_EQ(fs::status(tree.Path(file)).permissions(), fs::perms(before ? 0640 : 0600));
        EXPECT_EQ(fs::is_symlink(path), linked);
        EXPECT_EQ(std::distance(fs::directory_iterator(fs::path(path).parent_path()), {}), 1);
    }
    unsetenv("XDG_CONFIG_HOME");
}

// A folder where the file belongs: a failure with a reason, and the folder untouched.
TEST(AcceptanceFile, AnUnwritablePlaceIsAFailureWithAReason) {
    TempTree tree;
    setenv("XDG_CONFIG_HOME", tree.Path("config").c_str(), 1);
    fs::create_directories(AcceptanceFilePath());
    std::string why;
    EXPECT_FALSE(StoreAcceptance(why) || why.empty());
    EXPECT_TRUE(fs::is_directory(AcceptanceFilePath()));
    EXPECT_EQ(std::distance(fs::directory_iterator(tree.Path("config/TavrelSystems")), {}), 1);
    unsetenv("XDG_CONFIG_HOME");
}

}  // namespace
