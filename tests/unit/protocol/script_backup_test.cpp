// Backups of the device's script, as real files in a private data folder: their modes, their
// names, what a planted link gets, pruning, and the failures that must stop an erase.
#include <grp.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>

#include "protocol/script_backup.h"
#include "tests/unit/link/temp_tree.h"

namespace {

namespace fs = std::filesystem;

constexpr std::time_t kNow = 1796653501;  // 2026-12-07 14:25:01 UTC
const std::string kStamp = "-20261207-142501";

// XDG_DATA_HOME inside a temporary tree, the time zone UTC, the umask put back afterwards.
class BackupTest : public ::testing::Test {
protected:
    void SetUp() override {
        setenv("XDG_DATA_HOME", tree.Path("data").c_str(), 1);
        setenv("TZ", "UTC", 1);
        tzset();
    }
    void TearDown() override {
        umask(savedUmask);
        unsetenv("XDG_DATA_HOME");
    }
    static fs::perms Mode(const std::string& path) { return fs::status(path).permissions(); }
    // Saves the lines {"!SC ID<n>", "noise"}; the file's name, or why it failed.
    std::string Save(const std::string& port, size_t n = 0) const {
        std::string path, why;
        if (!SaveScriptBackup(port, {"!SC ID" + std::to_string(n), "noise"}, path, why, kNow)) {
            return "failed: " + why;
        }
        EXPECT_EQ(fs::path(path).parent_path(), fs::path(folder).parent_path());
        return fs::path(path).filename();
    }

    TempTree tree;
    const std::string folder = tree.Path("data/quillbox/backups/");
    const mode_t savedUmask = umask(022);
};

// Under a umask that takes the owner's own rights away; a folder since opened to others is made
// private again, and a link planted at the next name of the second is passed by, not followed.
// A port name cannot lead out of the folder nor make a hidden file.
TEST_F(BackupTest, EverySaveGetsItsOwnPrivateFileInsideAPrivateFolder) {
    umask(0277);
    const std::pair<std::string, std::string> saves[] = {
        {"COM7", "COM7" + kStamp + ".txt"},
        {"COM7", "COM7" + kStamp + "-3.txt"},
        {"../../esc\x1b\x7f", "_.._.._esc__" + kStamp + ".txt"},
        {"", "_" + kStamp + ".txt"},
    };
    for (size_t n = 0; n < std::size(saves); ++n) {
        const std::string name = Save(saves[n].first, n);
        EXPECT_EQ(name, saves[n].second);
        EXPECT_EQ(TempTree::Read(folder + name), "!SC ID" + std::to_string(n) + "\n# noise\n");
        EXPECT_EQ(Mode(folder + name), fs::perms(0600));
        EXPECT_EQ(Mode(folder), fs::perms(0700));
        EXPECT_EQ(Mode(tree.Path("data/quillbox")), fs::perms(0700));
        if (n == 0) {
            fs::permissions(folder, fs::perms(0755));
            tree.WriteFile("target", "not a backup");
            fs::create_symlink(tree.Path("target"), folder + "COM7" + kStamp + "-2.txt");
        }
    }
    EXPECT_EQ(TempTree::Read(folder + saves[0].second), "!SC ID0\n# noise\n");
    EXPECT_EQ(TempTree::Read(tree.Path("target")), "not a backup");
}

// Oldest by the time in their names, then by the number of the second (not by name, not by the
// suffix's text): ZZZ of 2019, then -9 of 2020, while -10 of that second stays. A folder and a
// link named like backups, older than all, are no backup files.
TEST_F(BackupTest, PruningKeepsTheNewest200BackupsAndNothingElseIsTouched) {
    const std::string zzz = "ZZZ-20190101-000000.txt", nine = "COM7-20200101-000000-9.txt";
    std::vector<std::string> old = {zzz, nine, "COM7-20200101-000000-10.txt"};
    for (int n = 0; old.size() < 201; ++n) {
        old.push_back("COM" + std::to_string(n % 3) + "-20250101-" + std::to_string(100000 + n) +
                      ".txt");
    }
    for (const std::string& name : old) {
        tree.WriteFile("data/quillbox/backups/" + name, "old");
    }
    tree.WriteFile("data/quillbox/backups/notes.txt", "mine");
    tree.WriteFile("data/quillbox/backups/COM7-20190101-000000.txt.bak", "mine");
    fs::create_directory(folder + "COM1-20000101-000000.txt");
    fs::create_symlink("notes.txt", folder + "COM2-20000101-000000.txt");
    ASSERT_EQ(Save("COM7"), "COM7" + kStamp + ".txt");
    for (const std::string& name : old) {
        EXPECT_EQ(fs::exists(folder + name), name != zzz && name != nine) << name;
    }
    EXPECT_TRUE(fs::exists(folder + "notes.txt") &&
                fs::exists(folder + "COM7-20190101-000000.txt.bak"));
    EXPECT_TRUE(fs::is_directory(folder + "COM1-20000101-000000.txt") &&
                fs::is_symlink(folder + "COM2-20000101-000000.txt"));
}

// Root writes into any folder: the child that saves drops root's rights for those of the
// tree's owner first, and leaves its reason in the tree.
TEST_F(BackupTest, NoBackupIsAFailureWithAReasonAndLeavesNoFile) {
    using Row = std::pair<const char*, const char*>;  // a read-only folder, what the reason says
    for (const auto& [readOnly, reason] :
         {Row{"data/quillbox/backups", "quillbox/backups/COM7-"},
          Row{"data", "data/quillbox: Permission denied"}, Row{"", "File too large"}}) {
        fs::remove_all(tree.Path("data"));
        const pid_t pid = fork();
        if (pid == 0) {
            constexpr uid_t kNobody = 65534;
            if (geteuid() == 0 &&
                (chown(tree.Path("").c_str(), kNobody, kNobody) != 0 ||
                 setgroups(0, nullptr) != 0 || setgid(kNobody) != 0 || setuid(kNobody) != 0)) {
                _exit(1);
            }
            fs::create_directories(tree.Path(readOnly));
            fs::permissions(tree.Path(readOnly), fs::perms(*readOnly ? 0500 : 0700));
            rlimit fileSize{*readOnly ? RLIM_INFINITY : 4, RLIM_INFINITY};  // a disk that fills
            signal(SIGXFSZ, SIG_IGN);
            setrlimit(RLIMIT_FSIZE, &fileSize);
            std::string path, said;
            const bool saved = SaveScriptBackup("COM7", {"!SC ID"}, path, said, kNow);
            fileSize.rlim_cur = RLIM_INFINITY;
            setrlimit(RLIMIT_FSIZE, &fileSize);
            std::ofstream(tree.Path("why")) << (saved ? "saved" : said);
            _exit(0);
        }
        int status = 0;
        waitpid(pid, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
        EXPECT_NE(TempTree::Read(tree.Path("why")).find(reason), std::string::npos)
            << TempTree::Read(tree.Path("why"));
        EXPECT_FALSE(fs::exists(folder + "COM7" + kStamp + ".txt"));
    }
}

}  // namespace
