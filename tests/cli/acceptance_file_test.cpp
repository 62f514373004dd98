// The acceptance flag in the window's settings file, set by `quillbox-cli agree`.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>

#include "cli/acceptance_file.h"
#include "tests/unit/link/temp_tree.h"

namespace {

struct StoreCase {
    const char* name;
    const char* before;  // nullptr: no file
    bool acceptedBefore;
    std::string after;
};

void PrintTo(const StoreCase& c, std::ostream* os) {
    *os << c.name;
}

class AcceptanceFileTest : public ::testing::Test {
protected:
    void SetUp() override { setenv("XDG_CONFIG_HOME", tree.Path("config").c_str(), 1); }
    void TearDown() override { unsetenv("XDG_CONFIG_HOME"); }

    std::string Text() const {
        std::ifstream file(AcceptanceFilePath(), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(file), {});
    }

    TempTree tree;
};

class AcceptanceStoreTest : public AcceptanceFileTest,
                            public ::testing::WithParamInterface<StoreCase> {};

TEST_P(AcceptanceStoreTest, SetsTheOneKeyInTheOneGroupAndKeepsTheRest) {
    ASSERT_EQ(AcceptanceFilePath(), tree.Path("config/TavrelSystems/quillbox.conf"));
    if (GetParam().before != nullptr) {
        tree.WriteFile("config/TavrelSystems/quillbox.conf", GetParam().before);
    }
    EXPECT_EQ(AcceptanceStored(), GetParam().acceptedBefore);
    // A second agree finds the flag in place and leaves the file as the first left it.
    for (int run = 1; run <= 2; ++run) {
        std::string why;
        ASSERT_TRUE(StoreAcceptance(why)) << why;
        EXPECT_EQ(Text(), GetParam().after) << "run " << run;
        EXPECT_TRUE(AcceptanceStored());
    }
    // Nothing left beside it.
    EXPECT_EQ(
        std::distance(std::filesystem::directory_iterator(tree.Path("config/TavrelSystems")), {}),
        1);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, AcceptanceStoreTest,
    ::testing::Values(
        StoreCase{"NoFile", nullptr, false, "[SETTINGS]\nAGREEMENT=1\n"},
        StoreCase{"GroupAddedOnce", "[General]\nx=2\n", false,
                  "[General]\nx=2\n[SETTINGS]\nAGREEMENT=1\n"},
        StoreCase{"NoLastLineFeed", "[General]\nx=2", false,
                  "[General]\nx=2\n[SETTINGS]\nAGREEMENT=1\n"},
        StoreCase{"KeyReplacedInPlace",
                  "[SETTINGS]\nAGREEMENT=0\nLANG=ko\n\n[Window]\ngeometry=@Rect(0 0 9 9)\n", false,
                  "[SETTINGS]\nAGREEMENT=1\nLANG=ko\n\n[Window]\ngeometry=@Rect(0 0 9 9)\n"},
        StoreCase{"KeyAddedToTheGroup", "[SETTINGS]\nLANG=ko\n\n[Window]\nw=1\n", false,
                  "[SETTINGS]\nLANG=ko\nAGREEMENT=1\n\n[Window]\nw=1\n"},
        StoreCase{"SpacesAndCrLf", "[SETTINGS]\r\n AGREEMENT = 0\r\nX=1\r\n", false,
                  "[SETTINGS]\r\nAGREEMENT=1\nX=1\r\n"},
        StoreCase{"AcceptedAfterAnotherKey", "[SETTINGS]\nLANG=ko\nAGREEMENT=1\n", true,
                  "[SETTINGS]\nLANG=ko\nAGREEMENT=1\n"},
        // What earlier versions left after two agrees, and groups QSettings reads as one.
        StoreCase{"DoubledGroupMerged", "[SETTINGS]\nAGREEMENT=1\n[SETTINGS]\nAGREEMENT=1\n", true,
                  "[SETTINGS]\nAGREEMENT=1\n"},
        StoreCase{"LaterGroupCannotOverride",
                  "[SETTINGS]\nAGREEMENT=1\n[X]\nb=2\n[SETTINGS]\nAGREEMENT=0\nC=3", false,
                  "[SETTINGS]\nAGREEMENT=1\nC=3\n[X]\nb=2\n"},
        StoreCase{"OtherGroupsKeyIsNotTheFlag", "[Other]\nAGREEMENT=1\n; AGREEMENT=1\n", false,
                  "[Other]\nAGREEMENT=1\n; AGREEMENT=1\n[SETTINGS]\nAGREEMENT=1\n"},
        StoreCase{"OnlyOneIsAcceptance", "[SETTINGS]\nAGREEMENT=11\n", false,
                  "[SETTINGS]\nAGREEMENT=1\n"}),
    [](const auto& info) { return std::string(info.param.name); });

// A settings file kept elsewhere through a link stays a link; its mode stays.
TEST_F(AcceptanceFileTest, ALinkedFileIsWrittenThroughItsLinkAndKeepsItsMode) {
    tree.WriteFile("dotfiles/quillbox.conf", "[General]\nx=2\n");
    ASSERT_EQ(chmod(tree.Path("dotfiles/quillbox.conf").c_str(), 0640), 0);
    tree.MakeLink("config/TavrelSystems/quillbox.conf", tree.Path("dotfiles/quillbox.conf"));
    std::string why;
    ASSERT_TRUE(StoreAcceptance(why)) << why;
    EXPECT_TRUE(std::filesystem::is_symlink(AcceptanceFilePath()));
    EXPECT_EQ(Text(), "[General]\nx=2\n[SETTINGS]\nAGREEMENT=1\n");
    struct stat status {};
    ASSERT_EQ(stat(tree.Path("dotfiles/quillbox.conf").c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 07777, 0640u);
}

// A folder where the file belongs: a failure with a reason, and the folder untouched.
TEST_F(AcceptanceFileTest, AnUnwritablePlaceIsAFailureWithAReason) {
    std::filesystem::create_directories(AcceptanceFilePath());
    std::string why;
    EXPECT_FALSE(StoreAcceptance(why));
    EXPECT_FALSE(why.empty());
    EXPECT_TRUE(std::filesystem::is_directory(AcceptanceFilePath()));
    EXPECT_EQ(
        std::distance(std::filesystem::directory_iterator(tree.Path("config/TavrelSystems")), {}),
        1);
}

}  // namespace
