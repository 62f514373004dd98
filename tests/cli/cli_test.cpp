#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "protocol/script_file.h"
#include "sim/pty_host.h"
#include "tests/unit/link/temp_tree.h"

namespace {

constexpr int kCom = 9;
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

// The simulator on a pseudo-terminal linked as COM9, and the real binary run against it
// with HOME, XDG folders and the acceptance flag inside a temporary tree.
class CliTest : public ::testing::Test {
protected:
    void SetUp() override { StartDevice(kStored, {}); }

    void StartDevice(std::vector<std::string> lines, DeviceFaults faults) {
        device = std::make_unique<PtyHost>(DeviceModel(std::move(lines), faults));
        std::string error;
        ASSERT_TRUE(device->Start(&error)) << error;
        tree.MakeDir("run");
        chmod(tree.Path("run").c_str(), 0700);
        ASSERT_TRUE(device->LinkAsCom(kCom, tree.Path("run/quillbox/ports"), &error)) << error;
        tree.WriteFile("home/.config/TavrelSystems/quillbox.conf", "[SETTINGS]\nAGREEMENT=1\n");
    }

    // Runs quillbox-cli with `args`; `input` on its standard input. Bounded by a deadline.
    Result Run(std::vector<std::string> args, const std::string& input = "",
               int signalAfterCommands = 0) {
        tree.WriteFile("stdin", input);
        const std::string home = tree.Path("home");
        pid_t pid = fork();
        if (pid == 0) {
            freopen(tree.Path("stdin").c_str(), "r", stdin);
            freopen(tree.Path("out").c_str(), "w", stdout);
            freopen(tree.Path("err").c_str(), "w", stderr);
            setenv("HOME", home.c_str(), 1);
            setenv("XDG_RUNTIME_DIR", tree.Path("run").c_str(), 1);
            unsetenv("XDG_CONFIG_HOME");
            unsetenv("XDG_DATA_HOME");
            setenv("LANG", "C.UTF-8", 1);
            unsetenv("LANGUAGE");
            unsetenv("LC_ALL");
            unsetenv("LC_MESSAGES");
            std::vector<char*> argv{const_cast<char*>(QUILLBOX_CLI)};
            for (std::string& arg : args) {
                argv.push_back(arg.data());
            }
            argv.push_back(nullptr);
            execv(QUILLBOX_CLI, argv.data());
            _exit(127);
        }
        if (signalAfterCommands > 0) {
            EXPECT_TRUE(device->WaitForCommands(signalAfterCommands, 10000));
            kill(pid, SIGTERM);
        }
        Result result;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (waitpid(pid, &result.status, WNOHANG) == 0) {
            if (std::chrono::steady_clock::now() > deadline) {
                kill(pid, SIGKILL);
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        result.status = WIFEXITED(result.status) ? WEXITSTATUS(result.status) : -1;
        result.out = Read("out");
        result.err = Read("err");
        return result;
    }

    std::string Read(const std::string& name) const {
        std::ifstream file(tree.Path(name), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(file), {});
    }
    std::vector<std::string> Commands() {
        std::vector<std::string> log;
        device->WithModel([&](DeviceModel& model) { log = model.CommandLog(); });
        return log;
    }
    std::vector<std::string> Stored() {
        std::vector<std::string> lines;
        device->WithModel([&](DeviceModel& model) { lines = model.StoredLines(); });
        return lines;
    }

    TempTree tree;
    std::unique_ptr<PtyHost> device;
};

TEST_F(CliTest, ViewPrintsTheStoredScriptAndWriteTakesItsFileBack) {
    const Result view = Run({"view", "COM9"});
    EXPECT_EQ(view.status, 0) << view.err;
    EXPECT_EQ(view.out,
              "!PA 10.1.0.1\n!PP 1470\n!SO C 3000\n!SC OLD1\n!TB 115200\n!TP 0\n!TD 8\n!TS 1\n"
              "!FC 0\n");
    tree.WriteFile("unit7.txt", kFile);
    const Result write = Run({"write", "--timeout", "3", "COM9", tree.Path("unit7.txt")});
    EXPECT_EQ(write.status, 0) << write.err;
    EXPECT_EQ(Run({"view", "COM9"}).out, kFile.substr(kFile.find('\n') + 1));
    // The listing before the first erase was kept and puts the unit back as it was.
    const auto backups =
        std::filesystem::directory_iterator(tree.Path("home/.local/share/quillbox/backups"));
    const std::string backup = backups->path().string();
    EXPECT_EQ(Run({"write", "COM9", "-"}, Read(backup.substr(tree.Path("").size()))).status, 0);
    EXPECT_EQ(Stored(), kStored);
}

TEST_F(CliTest, ABadFileIsRefusedLineByLineAndNothingIsSent) {
    tree.WriteFile("bad.txt",
                   "!PA 10.1.0.1\n!XX 1\n!SA 10.1.300.1\n!PP 1234567890123456789012345678901\n"
                   "!SC ABCDEFGHI\n!PA 10.1.0.2\n!SO C 3050\n!TP 3\n");
    const Result result = Run({"write", "COM9", tree.Path("bad.txt")});
    EXPECT_EQ(result.status, 2);
    for (int line = 2; line <= 8; ++line) {
        EXPECT_NE(result.err.find("bad.txt:" + std::to_string(line) + ": "), std::string::npos)
            << line << "\n"
            << result.err;
    }
    EXPECT_EQ(result.err.find("bad.txt:1:"), std::string::npos);
    EXPECT_TRUE(Commands().empty());
}

TEST_F(CliTest, NothingIsSentWithoutAcceptanceUntilAgreeStoresIt) {
    tree.WriteFile("home/.config/TavrelSystems/quillbox.conf", "[General]\nx=2\n");
    EXPECT_EQ(Run({"view", "COM9"}).status, 2);
    EXPECT_TRUE(Commands().empty());
    EXPECT_EQ(Run({"agree"}, "n\n").status, 1);
    EXPECT_EQ(Run({"agree"}, "y\n").status, 0);
    EXPECT_EQ(Read("home/.config/TavrelSystems/quillbox.conf"),
              "[General]\nx=2\n[SETTINGS]\nAGREEMENT=1\n");
    EXPECT_EQ(Run({"view", "COM9"}).status, 0);
}

struct FailureCase {
    const char* name;
    DeviceFaults faults;
    std::vector<std::string> args;
    int status;
    size_t commandsSent;  // by the device's log
    int terminateAfter;   // SIGTERM once the device has this many commands; 0: none
};

class CliFailureTest : public CliTest, public ::testing::WithParamInterface<FailureCase> {};

TEST_P(CliFailureTest, EndsWithItsStatusHavingSentNothingMore) {
    const FailureCase& c = GetParam();
    device.reset();
    StartDevice(kStored, c.faults);
    tree.WriteFile("unit7.txt", kFile);
    std::vector<std::string> args = c.args;
    for (std::string& arg : args) {
        arg = arg == "FILE" ? tree.Path("unit7.txt") : arg;
    }
    const Result result = Run(args, "", c.terminateAfter);
    EXPECT_EQ(result.status, c.status) << result.err;
    EXPECT_EQ(Commands().size(), c.commandsSent) << result.err;
}

DeviceFaults Refusing(int command) {
    DeviceFaults faults;
    faults.wrongAnswerAt = command;
    return faults;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CliFailureTest,
    ::testing::Values(
        // "!VS", 9 erase passes of two lines, "!UE", then the third "!WS" is refused.
        FailureCase{"RefusalMidWrite", Refusing(23), {"write", "COM9", "FILE"}, 1, 24, 0},
        FailureCase{"Silent", DeviceFaults{true}, {"--timeout", "1", "view", "COM9"}, 1, 1, 0},
        FailureCase{"Terminated", {}, {"write", "COM9", "FILE"}, 1, 5, 5},
        FailureCase{"NoConfirmation", {}, {"send", "COM9", "!XX", "--timeout=0.5"}, 1, 1, 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(CliTest, ABusyPortExitsThreeAndNoBackupMeansNoErase) {
    const std::string slave = std::filesystem::read_symlink(tree.Path("run/quillbox/ports/COM9"));
    const int held = open(slave.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    ASSERT_EQ(flock(held, LOCK_EX | LOCK_NB), 0);
    const Result busy = Run({"view", slave});
    EXPECT_EQ(busy.status, 3) << busy.err;
    close(held);
    tree.WriteFile("home/.local/share/quillbox", "a file where the folder belongs");
    const Result result = Run({"delete", "COM9"});
    EXPECT_EQ(result.status, 1);
    for (const std::string& command : Commands()) {
        EXPECT_NE(command, "!ES");
    }
    EXPECT_EQ(Stored(), kStored);
}

TEST(ScriptFileTest, BytesThatAreNotUtf8RoundTrip) {
    ScriptFields fields;
    std::vector<ScriptFileFault> faults;
    const std::string file = "!PA 10.1.0.9\n!PP 80\xff\n!TC 5\xc3\n!SC \xfe\xfe\n!TB 600\n";
    ASSERT_TRUE(ReadScriptFile(file, fields, faults, UiLanguage::English));
    EXPECT_EQ(FormatScriptFile(fields), file + "!TP 0\n!TD 8\n!TS 1\n!FC 0\n");
}

}  // namespace
