#include <gtest/gtest.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "protocol/script_file.h"
#include "sim/pty_host.h"
#include "tests/unit/link/temp_tree.h"

namespace {

const std::vector<std::string> kStored = {"!PA 10.1.0.1", "!PP 1470",   "!SO C 3000",
                                          "!SC OLD1",     "!TB 115200", "!TP 0",
                                          "!TD 8",        "!TS 1",      "!FC 0"};
const std::string kFile =
    "# unit 7\n!PA 192.168.1.5\n!PP 8080\n!SA 192.168.1.6\n!SO C 6000\n!TC 5\n!SC UNIT7\n"
    "!TB 9600\n!TP 2\n!TD 7\n!TS 2\n!FC 1\n";

struct Result {
    int status = -1;
    std::string out;
    std::string err;
};

// The simulator on a pseudo-terminal linked as COM9, and the real binary run against it with
// HOME, the runtime folder and the acceptance flag inside a temporary tree.
class CliTest : public ::testing::Test {
protected:
    void SetUp() override { StartDevice({}); }

    void StartDevice(DeviceFaults faults) {
        device = std::make_unique<PtyHost>(DeviceModel(kStored, faults));
        std::string error;
        ASSERT_TRUE(device->Start(&error)) << error;
        ASSERT_TRUE(device->LinkAsCom(9, tree.Path("run/quillbox/ports"), &error)) << error;
        tree.WriteFile("home/.config/TavrelSystems/quillbox.conf", "[SETTINGS]\nAGREEMENT=1\n");
    }

    // Runs quillbox-cli with `args` and `input` on its standard input; SIGTERM once the device
    // has `terminateAfter` commands. The child is killed after 30 s at the latest.
    Result Run(std::vector<std::string> args, const std::string& input = "",
               size_t terminateAfter = 0) {
        tree.WriteFile("in", input);
        std::string home = "HOME=" + tree.Path("home"), run = "XDG_RUNTIME_DIR=" + tree.Path("run");
        char lang[] = "LANG=C.UTF-8";
        std::vector<char*> argv{const_cast<char*>(QUILLBOX_CLI)},
            envp{home.data(), run.data(), lang, nullptr};
        for (std::string& arg : args) {
            arg = arg == "FILE" ? tree.Path("unit7.txt") : arg;
            argv.push_back(arg.data());
        }
        argv.push_back(nullptr);
        const pid_t pid = fork();
        if (pid == 0) {
            freopen(tree.Path("in").c_str(), "r", stdin);
            freopen(tree.Path("out").c_str(), "w", stdout);
            freopen(tree.Path("err").c_str(), "w", stderr);
            alarm(30);
            execve(QUILLBOX_CLI, argv.data(), envp.data());
            _exit(127);
        }
        if (terminateAfter > 0) {
            EXPECT_TRUE(device->WaitForCommands(terminateAfter, 10000));
            kill(pid, SIGTERM);
        }
        int status = 0;
        waitpid(pid, &status, 0);
        return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, Read(tree.Path("out")),
                Read(tree.Path("err"))};
    }

    static std::string Read(const std::string& path) {
        std::ifstream file(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(file), {});
    }
    // The device's command log or stored lines.
    std::vector<std::string> Model(const std::vector<std::string>& (DeviceModel::*get)() const) {
        std::vector<std::string> lines;
        device->WithModel([&](DeviceModel& model) { lines = (model.*get)(); });
        return lines;
    }

    TempTree tree;
    std::unique_ptr<PtyHost> device;
};

TEST_F(CliTest, ViewPrintsTheStoredScriptAndWriteTakesItsFileBack) {
    device.reset();
    StartDevice(DeviceFaults{false, -1, false, false, true});  // lists with lower-case codes
    const Result view = Run({"view", "COM9"});
    EXPECT_EQ(view.status, 0) << view.err;
    EXPECT_EQ(view.out,
              "!PA 10.1.0.1\n!PP 1470\n!SO C 3000\n!SC OLD1\n!TB 115200\n!TP 0\n!TD 8\n!TS 1\n"
              "!FC 0\n");
    tree.WriteFile("unit7.txt", kFile);
    const Result write = Run({"write", "--timeout", "3", "COM9", tree.Path("unit7.txt")});
    EXPECT_EQ(write.status, 0) << write.err;
    EXPECT_EQ(Run({"view", "COM9"}).out, kFile.substr(kFile.find('\n') + 1));
    // The listing before the first erase was kept, and puts the unit back as it was.
    const auto backups =
        std::filesystem::directory_iterator(tree.Path("home/.local/share/quillbox/backups"));
    std::ifstream backup(backups->path(), std::ios::binary);
    EXPECT_EQ(
        Run({"write", "COM9", "-"}, std::string(std::istreambuf_iterator<char>(backup), {})).status,
        0);
    EXPECT_EQ(Model(&DeviceModel::StoredLines), kStored);
}

TEST_F(CliTest, BadFilesAreRefusedLineByLineAndNothingIsSent) {
    tree.WriteFile("bad.txt",
                   "!PA 10.1.0.1\n!XX 1\n!SA 10.1.300.1\n!PP 1234567890123456789012345678901\n"
                   "!SC ABCDEFGHI\n!PA 10.1.0.2\n!SO C 3050\n!TP 3\n!TC 5\x01\n!PP  80\n");
    const Result result = Run({"write", "COM9", tree.Path("bad.txt")});
    EXPECT_EQ(result.status, 2);
    for (int line = 2; line <= 10; ++line) {
        EXPECT_NE(result.err.find("bad.txt:" + std::to_string(line) + ": "), std::string::npos)
            << line << "\n"
            << result.err;
    }
    EXPECT_EQ(result.err.find("bad.txt:1:"), std::string::npos);
    // A file far larger than any script is refused without reading it all.
    tree.WriteFile("unit7.txt", std::string(70000, '#') + "\n" + kFile);
    EXPECT_EQ(Run({"write", "COM9", "FILE"}).status, 2);
    // Neither a FIFO, whose open would wait for a writer, nor a terminal is read as a script.
    ASSERT_EQ(mkfifo(tree.Path("fifo").c_str(), 0600), 0);
    for (const std::string& path : {tree.Path("fifo"), device->SlavePath()}) {
        EXPECT_EQ(Run({"write", "COM9", path}).status, 2) << path;
    }
    EXPECT_TRUE(Model(&DeviceModel::CommandLog).empty());
}

TEST_F(CliTest, NothingIsSentWithoutAcceptanceUntilAgreeStoresIt) {
    tree.WriteFile("home/.config/TavrelSystems/quillbox.conf", "[General]\nx=2\n");
    EXPECT_EQ(Run({"view", "COM9"}).status, 2);
    EXPECT_TRUE(Model(&DeviceModel::CommandLog).empty());
    EXPECT_EQ(Run({"agree"}, "n\n").status, 1);
    EXPECT_EQ(Run({"agree"}, "y\n").status, 0);
    EXPECT_EQ(Read(tree.Path("home/.config/TavrelSystems/quillbox.conf")),
              "[General]\nx=2\n[SETTINGS]\nAGREEMENT=1\n");
    EXPECT_EQ(Run({"view", "COM9"}).status, 0);
}

struct FailureCase {
    const char* name;
    DeviceFaults faults;
    std::vector<std::string> args;
    size_t commandsSent;    // by the device's log
    size_t terminateAfter;  // SIGTERM once the device has this many commands; 0: none
};

class CliFailureTest : public CliTest, public ::testing::WithParamInterface<FailureCase> {};

TEST_P(CliFailureTest, EndsWithStatusOneHavingSentNothingMore) {
    device.reset();
    StartDevice(GetParam().faults);
    tree.WriteFile("unit7.txt", kFile);
    const Result result = Run(GetParam().args, "", GetParam().terminateAfter);
    EXPECT_EQ(result.status, 1) << result.err;
    EXPECT_EQ(Model(&DeviceModel::CommandLog).size(), GetParam().commandsSent) << result.err;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CliFailureTest,
    ::testing::Values(
        // "!VS", 9 erase passes of two lines, "!UE", then the third "!WS" is refused.
        FailureCase{"RefusalMidWrite", DeviceFaults{false, 23}, {"write", "COM9", "FILE"}, 24, 0},
        FailureCase{"Silent", DeviceFaults{true}, {"--timeout", "1", "view", "COM9"}, 1, 0},
        FailureCase{"Terminated", {}, {"write", "COM9", "FILE"}, 5, 5},
        FailureCase{"NoConfirmation", {}, {"send", "COM9", "!XX", "--timeout=0.5"}, 1, 0}),
    [](const auto& info) { return std::string(info.param.name); });

// A port that another program holds (its lock, as the window takes it) and a COM number with
// no device both exit 3 with nothing sent.
TEST_F(CliTest, AnUnopenablePortExitsThreeAndNoBackupMeansNoErase) {
    const int holder = open(device->SlavePath().c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    ASSERT_EQ(flock(holder, LOCK_EX | LOCK_NB), 0);
    for (const char* port : {"COM9", "COM30"}) {
        const Result refused = Run({"view", port});
        EXPECT_EQ(refused.status, 3) << port << refused.err;
    }
    close(holder);
    EXPECT_TRUE(Model(&DeviceModel::CommandLog).empty());
    // Reached by its device path, the port opens; the backup folder cannot be made.
    tree.WriteFile("home/.local/share/quillbox", "a file where the folder belongs");
    const Result result = Run({"delete", device->SlavePath()});
    EXPECT_EQ(result.status, 1) << result.err;
    EXPECT_EQ(Model(&DeviceModel::CommandLog), std::vector<std::string>{"!VS"});
    EXPECT_EQ(Model(&DeviceModel::StoredLines), kStored);
}

TEST(ScriptFileTest, BytesThatAreNotUtf8RoundTrip) {
    ScriptFields fields;
    std::vector<ScriptFileFault> faults;
    const std::string file = "!PA 10.1.0.9\n!PP 80\xff\n!TC 5\xc3\n!SC \xfe\xfe\n!TB 600\n";
    ASSERT_TRUE(ReadScriptFile(file, fields, faults, UiLanguage::English));
    EXPECT_EQ(FormatScriptFile(fields), file + "!TP 0\n!TD 8\n!TS 1\n!FC 0\n");
}

}  // namespace
