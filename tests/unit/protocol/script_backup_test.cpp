// Backups of the device's script, as real files in a private data folder: their modes, their
// names, what a planted link gets, pruning, and the failures that must stop an erase.
#include <fcntl.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <functional>

#include "protocol/script_backup.h"
#include "tests/unit/link/temp_tree.h"

namespace {

namespace fs = std::filesystem;

constexpr std::time_t kNow = 1796653501;  // 2026-12-07 14:25:01 UTC
const std::string kStamp = "20261207-142501";

// XDG_DATA_HOME inside a temporary tree, the time zone UTC, the umask put back afterwards.
class BackupTest : public ::testing::Test {
protected:
    void SetUp() override {
        setenv("XDG_DATA_HOME", tree.Path("data").c_str(), 1);
        setenv("TZ", "UTC", 1);
        tzset();
        savedUmask = umask(022);
    }
    void TearDown() override {
        umask(savedUmask);
        unsetenv("XDG_DATA_HOME");
    }

    std::string Folder() const { return tree.Path("data/quillbox/backups"); }
    std::string InFolder(const std::string& name) const { return Folder() + "/" + name; }

    // Saves the lines {"!SC ID<n>", "noise"}; the file's name on success, "" on failure.
    std::string Save(const std::string& port, int n = 0) {
        std::string path;
        why.clear();
        if (!SaveScriptBackup(port, {"!SC ID" + std::to_string(n), "noise"}, path, why, kNow)) {
            return "";
        }
        EXPECT_EQ(fs::path(path).parent_path(), Folder());
        return fs::path(path).filename();
    }
    static std::string Content(int n) { return "!SC ID" + std::to_string(n) + "\n# noise\n"; }

    static std::string Read(const std::string& path) {
        std::ifstream file(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(file), {});
    }
    static mode_t Mode(const std::string& path) {
        struct stat status {};
        EXPECT_EQ(lstat(path.c_str(), &status), 0) << path;
        return status.st_mode & 07777;
    }
    std::vector<std::string> Listing() const {
        std::vector<std::string> names;
        for (const fs::directory_entry& entry : fs::directory_iterator(Folder())) {
            names.push_back(entry.path().filename());
        }
        std::sort(names.begin(), names.end());
        return names;
    }

    TempTree tree;
    std::string why;
    mode_t savedUmask = 0;
};

struct ModeCase {
    const char* name;
    mode_t umask;
    int existingMode;  // of a backup folder already there; -1: none
};

void PrintTo(const ModeCase& c, std::ostream* os) {
    *os << c.name;
}

class BackupModeTest : public BackupTest, public ::testing::WithParamInterface<ModeCase> {};

TEST_P(BackupModeTest, FolderIsPrivateAndFileIsOwnerOnlyWhateverTheUmask) {
    if (GetParam().existingMode >= 0) {
        fs::create_directories(Folder());
        ASSERT_EQ(chmod(Folder().c_str(), GetParam().existingMode), 0);
    }
    umask(GetParam().umask);
    const std::string name = Save("COM7");
    ASSERT_FALSE(name.empty()) << why;
    EXPECT_EQ(Mode(Folder()), 0700u);
    EXPECT_EQ(Mode(InFolder(name)), 0600u);
    EXPECT_EQ(Read(InFolder(name)), Content(0));
    if (GetParam().existingMode < 0) {
        EXPECT_EQ(Mode(tree.Path("data/quillbox")), 0700u);
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, BackupModeTest,
                         ::testing::Values(ModeCase{"Umask022", 022, -1},
                                           ModeCase{"Umask000", 0, -1},
                                           ModeCase{"Umask277", 0277, -1},
                                           ModeCase{"OpenFolderUmask022", 022, 0755},
                                           ModeCase{"GroupFolderUmask000", 0, 0770}),
                         [](const auto& info) { return std::string(info.param.name); });

enum class Planted { Nothing, LinkToFile, DanglingLink };

struct NameCase {
    const char* name;
    std::string port;
    Planted planted;                    // at the first name of the second
    std::vector<std::string> expected;  // one a save, in order
};

void PrintTo(const NameCase& c, std::ostream* os) {
    *os << c.name;
}

class BackupNameTest : public BackupTest, public ::testing::WithParamInterface<NameCase> {};

TEST_P(BackupNameTest, EverySaveOfTheSecondGetsItsOwnFileInsideTheFolder) {
    const NameCase& c = GetParam();
    fs::create_directories(Folder());
    const std::string first = InFolder(c.expected.front());
    const std::string firstTaken = fs::path(first).replace_filename(c.port + "-" + kStamp + ".txt");
    if (c.planted == Planted::LinkToFile) {
        tree.WriteFile("target", "not a backup");
        fs::create_symlink(tree.Path("target"), firstTaken);
    } else if (c.planted == Planted::DanglingLink) {
        fs::create_symlink(tree.Path("created-through-link"), firstTaken);
    }
    for (size_t n = 0; n < c.expected.size(); ++n) {
        EXPECT_EQ(Save(c.port, n), c.expected[n]) << why;
    }
    for (size_t n = 0; n < c.expected.size(); ++n) {
        EXPECT_EQ(Read(InFolder(c.expected[n])), Content(n)) << c.expected[n];
    }
    EXPECT_EQ(Read(tree.Path("target")), c.planted == Planted::LinkToFile ? "not a backup" : "");
    EXPECT_FALSE(fs::exists(tree.Path("created-through-link")));
    // Nothing outside the folder: the tree holds data/ (and the link's target) only.
    std::vector<std::string> top;
    for (const fs::directory_entry& entry : fs::directory_iterator(tree.Path(""))) {
        top.push_back(entry.path().filename());
    }
    std::sort(top.begin(), top.end());
    EXPECT_EQ(top.front(), "data");
    EXPECT_EQ(fs::directory_iterator(tree.Path("data"))->path().filename(), "quillbox");
}

const std::string kFirst = "COM7-" + kStamp + ".txt";

INSTANTIATE_TEST_SUITE_P(
    Cases, BackupNameTest,
    ::testing::Values(
        NameCase{"FirstOfTheSecondHasNoSuffix", "COM7", Planted::Nothing, {kFirst}},
        NameCase{"LaterOnesOfTheSecondCountOn",
                 "COM7",
                 Planted::Nothing,
                 {kFirst, "COM7-" + kStamp + "-2.txt", "COM7-" + kStamp + "-3.txt"}},
        NameCase{"LinkToAFileIsPassedBy",
                 "COM7",
                 Planted::LinkToFile,
                 {"COM7-" + kStamp + "-2.txt", "COM7-" + kStamp + "-3.txt"}},
        NameCase{
            "DanglingLinkIsPassedBy", "COM7", Planted::DanglingLink, {"COM7-" + kStamp + "-2.txt"}},
        NameCase{"DeviceBaseName", "ttyUSB0", Planted::Nothing, {"ttyUSB0-" + kStamp + ".txt"}},
        NameCase{"SlashesCannotClimbOut",
                 "../../escaped",
                 Planted::Nothing,
                 {"_.._.._escaped-" + kStamp + ".txt"}},
        NameCase{"NoHiddenFile", ".port", Planted::Nothing, {"_.port-" + kStamp + ".txt"}},
        NameCase{"NoEmptyStem", "", Planted::Nothing, {"_-" + kStamp + ".txt"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(BackupTest, PruningKeepsTheNewest200BackupsAndNothingElseIsTouched) {
    fs::create_directories(Folder());
    // Oldest by the time in their names (not by name, not by the text order of the suffix):
    // ZZZ of 2019, then -2 and -9 of 2020; -10 of that second is the fourth oldest.
    std::vector<std::string> old = {"ZZZ-20190101-000000.txt", "COM7-20200101-000000-2.txt",
                                    "COM7-20200101-000000-9.txt", "COM7-20200101-000000-10.txt"};
    for (int n = 0; old.size() < 202; ++n) {
        char name[64];
        std::snprintf(name, sizeof name, "COM%d-20250101-%06d.txt", 1 + n % 3, n);
        old.push_back(name);
    }
    for (const std::string& name : old) {
        tree.WriteFile("data/quillbox/backups/" + name, "old");
    }
    const std::vector<std::string> foreign = {"notes.txt", "COM7-2025.txt",
                                              "COM7-20190101-000000.txt.bak"};
    for (const std::string& name : foreign) {
        tree.WriteFile("data/quillbox/backups/" + name, "mine");
    }
    // Named like backups, older than all, but a folder and a link are not backup files.
    fs::create_directory(InFolder("COM1-20000101-000000.txt"));
    fs::create_symlink("notes.txt", InFolder("COM2-20000101-000000.txt"));

    const std::string saved = Save("COM7");
    ASSERT_EQ(saved, kFirst) << why;

    std::vector<std::string> expected(old.begin() + 3, old.end());
    expected.insert(expected.end(), foreign.begin(), foreign.end());
    expected.insert(expected.end(),
                    {saved, "COM1-20000101-000000.txt", "COM2-20000101-000000.txt"});
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(Listing(), expected);
    for (const std::string& name : foreign) {
        EXPECT_EQ(Read(InFolder(name)), "mine") << name;
    }
}

// Runs `save` in a child without root's rights (root writes into any folder), as the tree's
// owner; its reason on failure, "saved" on success.
std::string RunUnprivileged(const TempTree& tree, const std::function<std::string()>& save) {
    int pipeFds[2];
    if (pipe(pipeFds) != 0) {
        return "no pipe";
    }
    const pid_t pid = fork();
    if (pid == 0) {
        close(pipeFds[0]);
        if (geteuid() == 0) {
            constexpr uid_t kNobody = 65534;
            for (const fs::directory_entry& entry :
                 fs::recursive_directory_iterator(tree.Path(""))) {
                lchown(entry.path().c_str(), kNobody, kNobody);
            }
            lchown(tree.Path("").c_str(), kNobody, kNobody);
            if (setgroups(0, nullptr) != 0 || setgid(kNobody) != 0 || setuid(kNobody) != 0) {
                _exit(1);
            }
        }
        const std::string result = save();
        _exit(write(pipeFds[1], result.data(), result.size()) == static_cast<ssize_t>(result.size())
                  ? 0
                  : 1);
    }
    close(pipeFds[1]);
    std::string result;
    char buffer[512];
    for (ssize_t n; (n = read(pipeFds[0], buffer, sizeof buffer)) > 0;) {
        result.append(buffer, static_cast<size_t>(n));
    }
    close(pipeFds[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? result : "child failed";
}

struct FailureCase {
    const char* name;
    std::function<void(const TempTree&)> prepare;
    const char* reasonNames;  // part of the tree that the reason names
};

void PrintTo(const FailureCase& c, std::ostream* os) {
    *os << c.name;
}

class BackupFailureTest : public BackupTest, public ::testing::WithParamInterface<FailureCase> {};

TEST_P(BackupFailureTest, NoBackupIsAFailureWithAReasonAndLeavesNoFile) {
    GetParam().prepare(tree);
    const std::string result = RunUnprivileged(tree, [this] {
        std::string path, reason;
        return SaveScriptBackup("COM7", {"!SC ID"}, path, reason, kNow) ? "saved" : reason;
    });
    EXPECT_NE(result.find(GetParam().reasonNames), std::string::npos) << result;
    EXPECT_FALSE(fs::exists(InFolder(kFirst)));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, BackupFailureTest,
    ::testing::Values(FailureCase{"ReadOnlyFolder",
                                  [](const TempTree& t) {
                                      fs::create_directories(t.Path("data/quillbox/backups"));
                                      chmod(t.Path("data/quillbox/backups").c_str(), 0500);
                                  },
                                  "quillbox/backups/COM7-"},
                      FailureCase{"ReadOnlyDataFolder",
                                  [](const TempTree& t) {
                                      fs::create_directories(t.Path("data"));
                                      chmod(t.Path("data").c_str(), 0500);
                                  },
                                  "data/quillbox: Permission denied"},
                      FailureCase{"FileWhereTheFolderBelongs",
                                  [](const TempTree& t) { t.WriteFile("data/quillbox", "a file"); },
                                  "data/quillbox/backups: Not a directory"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
