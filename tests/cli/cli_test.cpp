// quillbox-cli as an operator runs it: the real binary against the simulated device on a
// pseudo-terminal linked as COM9, with HOME, the runtime folder and the acceptance flag inside a
// temporary tree.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <optional>

#include "sim/pty_host.h"
#include "tests/unit/link/temp_tree.h"

namespace {

using Lines = std::vector<std::string>;

const Lines kStored = {"!PA 10.1.0.1", "!PP 1470", "!SO C 3000", "!SC OLD1", "!TB 115200",
                       "!TP 0",        "!TD 8",    "!TS 1",      "!FC 0"};
const std::string kFile =
    "# unit 7\n!PA 192.168.1.5\n!PP 8080\n!SA 192.168.1.6\n!SO C 6000\n!TC 5\n!SC UNIT7\n"
    "!TB 9600\n!TP 2\n!TD 7\n!TS 2\n!FC 1\n";

struct Result {
    int status = -1;
    std::string out;
    std::string err;
};

class CliTest : public ::testing::Test {
protected:
    void SetUp() override {
        tree.WriteFile("home/.config/TavrelSystems/quillbox.conf", "[SETTINGS]\nAGREEMENT=1\n");
        StartDevice(kStored, {});
    }

    void StartDevice(const Lines& stored, DeviceFaults faults, int com = 9) {
        auto& host = com == 9 ? device : second;
        host = std::make_unique<PtyHost>(DeviceModel(stored, faults));
        std::string error;
        ASSERT_TRUE(host->Start(&error)) << error;
        ASSERT_TRUE(host->LinkAsCom(com, tree.Path(TempTree::kLinks), &error)) << error;
    }

    // Starts quillbox-cli with `args` ("FILE" stands for the tree's unit7.txt) and `input` on its
    // standard input; its output goes to files named after `tag`, or standard output to `out`.
    pid_t Spawn(std::vector<std::string> args, const std::string& input = "",
                const std::string& tag = "run", std::string out = "") {
        tree.WriteFile(tag + ".in", input);
        out = out.empty() ? tree.Path(tag + ".out") : out;
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
            freopen(tree.Path(tag + ".in").c_str(), "r", stdin);
            freopen(out.c_str(), "w", stdout);
            freopen(tree.Path(tag + ".err").c_str(), "w", stderr);
            const rlimit files{fileLimit, fileLimit};
            if (fileLimit != RLIM_INFINITY && close_range(3, ~0U, 0) == 0) {  // only its own count
                setrlimit(RLIMIT_NOFILE, &files);
            }
            alarm(30);
            execve(QUILLBOX_CLI, argv.data(), envp.data());
            _exit(127);
        }
        return pid;
    }
    Result Wait(pid_t pid, const std::string& tag = "run") {
        int status = 0;
        waitpid(pid, &status, 0);
        return {WIFEXITED(status) ? WEXITSTATUS(status) : -1,
                TempTree::Read(tree.Path(tag + ".out")), TempTree::Read(tree.Path(tag + ".err"))};
    }
    Result Run(std::vector<std::string> args, const std::string& input = "") {
        return Wait(Spawn(std::move(args), input));
    }

    // The device's command log or stored lines.
    Lines Model(const Lines& (DeviceModel::*get)() const) {
        Lines lines;
        device->WithModel([&](DeviceModel& model) { lines = (model.*get)(); });
        return lines;
    }

    rlim_t fileLimit = RLIM_INFINITY;  // descriptors the program may hold
    TempTree tree;
    std::unique_ptr<PtyHost> device;
    std::unique_ptr<PtyHost> second;
};

// One command against a device: what it prints, its status, and what the device holds after.
struct Case {
    const char* name;
    Lines stored;
    DeviceFaults faults;
    std::optional<std::string> file;  // unit7.txt; none: no file
    std::vector<std::string> args;
    int status;
    std::optional<std::string> out;  // none: not checked
    const char* err;                 // a part of standard error; nullptr: not checked
    Lines storedAfter = {"="};       // "=": as before
    size_t commandsSent = 0;         // by the device's log; 0: not checked
    size_t terminateAfter = 0;       // SIGTERM once the device has this many commands
};
void PrintTo(const Case& c, std::ostream* os) {
    *os << c.name;
}

const Lines kPartial = {"!PA 192.168.0.10", "!PP 5000", "!TB 9600"};
const DeviceFaults kLowerCase{false, -1, false, false, true};
DeviceFaults Forgets(int write) {
    DeviceFaults faults;
    faults.forgetWriteAt = write;
    return faults;
}

class CliCaseTest : public CliTest, public ::testing::WithParamInterface<Case> {};

TEST_P(CliCaseTest, PrintsWritesAndEndsAsExpected) {
    const Case& c = GetParam();
    device.reset();
    StartDevice(c.stored, c.faults);
    if (c.file) {
        tree.WriteFile("unit7.txt", *c.file);
    }
    const pid_t pid = Spawn(c.args);
    if (c.terminateAfter > 0) {
        EXPECT_TRUE(device->WaitForCommands(c.terminateAfter, 10000));
        kill(pid, SIGTERM);
    }
    const Result result = Wait(pid);
    EXPECT_EQ(result.status, c.status) << result.err;
    if (c.commandsSent > 0) {
        EXPECT_EQ(Model(&DeviceModel::CommandLog).size(), c.commandsSent);
    }
    if (c.out) {
        EXPECT_EQ(result.out, *c.out);
    }
    if (c.err != nullptr) {
        EXPECT_NE(result.err.find(c.err), std::string::npos) << result.err;
    }
    const Lines after = c.storedAfter == Lines{"="} ? c.stored : c.storedAfter;
    EXPECT_EQ(Model(&DeviceModel::StoredLines), after);
}

const std::string kHangulCp949 = "\xBC\xAD\xBF\xEF\xBC\xAD\xBF\xEF";  // 4 characters

// clang-format off
INSTANTIATE_TEST_SUITE_P(Table, CliCaseTest, ::testing::Values(
    // Exactly what the device lists, as it lists it: no setting added or rewritten.
    Case{"ViewPartialAsListed", kPartial, kLowerCase, std::nullopt, {"view", "COM9"}, 0,
         "!pa 192.168.0.10\n!pp 5000\n!tb 9600\n", nullptr},
    Case{"ViewNothingStored", {}, {}, std::nullopt, {"view", "COM9"}, 0, "", "no script"},
    // Bytes that could steer a terminal reach it only escaped, and the listing is no file.
    Case{"ViewControlBytes", {"!PA 10.1.0.1", "!SC A\x1b]0;x\a"}, {}, std::nullopt, {"view", "COM9"},
         1, "!PA 10.1.0.1\n!SC A\\x1B]0;x\\x07\n", "control byte"},
    // A partial file is written exactly, and read back.
    Case{"WritePartialExactly", kStored, {}, "!PA 10.0.0.9\n!pp 4001\n!SO C 3050\n",
         {"write", "COM9", "FILE"}, 0, "", "read back", {"!PA 10.0.0.9", "!PP 4001", "!SO C 3050"}},
    Case{"WriteEmptyFile", kStored, {}, "# nothing\n", {"write", "COM9", "FILE"}, 2, "",
         "gives no setting"},
    Case{"WriteWithoutHostPort", kStored, {}, "!PA 10.0.0.9\n", {"write", "COM9", "FILE"}, 2, "",
         "host port"},
    // Confirmed but not kept: the read-back names the setting.
    Case{"WriteNotKept", {}, Forgets(1), "!PA 10.0.0.9\n!PP 4001\n!TB 9600\n",
         {"write", "COM9", "FILE"}, 1, "", "+ !PP 4001", {"!PA 10.0.0.9", "!TB 9600"}},
    // An ID of eight characters at most, its bytes kept whatever their encoding.
    Case{"WriteHangulIdCp949", {}, {}, ("!PA 10.0.0.9\n!PP 80\n!SC " + kHangulCp949 + "\n"),
         {"write", "COM9", "FILE"}, 0, "", "read back",
         {"!PA 10.0.0.9", "!PP 80", "!SC " + kHangulCp949}},
    Case{"DiffEqual", kPartial, kLowerCase, "!TB 9600\n# same\n!PA 192.168.0.10\n!PP 5000\n",
         {"diff", "COM9", "FILE"}, 0, "", nullptr},
    Case{"DiffDifferent", kPartial, {}, "!PA 192.168.0.11\n!PP 4001\n!SO C 3000\n",
         {"diff", "COM9", "FILE"}, 1, "- !PA 192.168.0.10\n+ !PA 192.168.0.11\n- !PP 5000\n"
         "+ !PP 4001\n+ !SO C 3000\n- !TB 9600\n", nullptr},
    Case{"DeleteNothingStored", {}, {}, std::nullopt, {"delete", "COM9"}, 0, "", "no script"},
    Case{"RefusedBeforeAnyErase", kStored, DeviceFaults{false, 1}, std::nullopt, {"delete", "COM9"}, 1,
         "", "the device is unchanged"},
    Case{"RefusedPartWay", kStored, DeviceFaults{false, 6}, std::nullopt, {"delete", "COM9"}, 1, "",
         "2 of 9 stored lines erased",
         {"!SO C 3000", "!SC OLD1", "!TB 115200", "!TP 0", "!TD 8", "!TS 1", "!FC 0"}},
    // Ended part way, nothing more is sent: "!VS", 9 erase passes of two lines, "!UE", three
    // settings, then the fourth "!WS" is refused.
    Case{"RefusalMidWrite", kStored, DeviceFaults{false, 23}, kFile, {"write", "COM9", "FILE"}, 1,
         "", "9 of 9 stored lines erased, 3 of 11 settings written",
         {"!PA 192.168.1.5", "!PP 8080", "!SA 192.168.1.6"}, 24},
    Case{"Terminated", kStored, {}, kFile, {"write", "COM9", "FILE"}, 1, "", "interrupted",
         {"!SO C 3000", "!SC OLD1", "!TB 115200", "!TP 0", "!TD 8", "!TS 1", "!FC 0"}, 5, 5},
    Case{"NoConfirmation", kStored, {}, std::nullopt, {"send", "COM9", "!XX", "--timeout=0.5"},
         1, "!ER 01\n", "no confirmation", {"="}, 1},
    Case{"SendEscapesTheAnswer", {"!SC A\tB"}, {}, std::nullopt, {"send", "COM9", "!VS"}, 0,
         "!SC A\\x09B\n!700\n", "[SEND] !VS"}),
    [](const auto& info) { return std::string(info.param.name); });
// clang-format on

// The backup of a partial script restores exactly it, nothing filled in.
TEST_F(CliTest, BackupOfAPartialScriptRestoresExactlyIt) {
    device.reset();
    StartDevice(kPartial, {});
    ASSERT_EQ(Run({"delete", "COM9"}).status, 0);
    ASSERT_TRUE(Model(&DeviceModel::StoredLines).empty());
    const auto backup =
        std::filesystem::directory_iterator(tree.Path("home/.local/share/quillbox/backups"));
    const Result restore = Run({"write", "COM9", "-"}, TempTree::Read(backup->path()));
    EXPECT_EQ(restore.status, 0) << restore.err;
    EXPECT_EQ(Model(&DeviceModel::StoredLines), kPartial);
}

// Every fault as FILE:LINE (the checks themselves are the script file's own table); what is no
// script file is refused unread.
TEST_F(CliTest, BadFilesAreRefusedLineByLineAndNothingIsSent) {
    tree.WriteFile("bad.txt", "!PA 10.1.0.1\n!XX 1\n# note\n!SC ABCDEFGHI\n");
    const Result result = Run({"write", "COM9", tree.Path("bad.txt")});
    EXPECT_EQ(result.status, 2);
    const std::string bad = tree.Path("bad.txt");
    EXPECT_EQ(result.err,
              bad + ":2: unknown setting code\n" + bad + ":4: the ID has more than 8 characters\n");
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
    const Result refused = Run({"agree"}, "n\n"), accepted = Run({"agree"}, "y\n");
    EXPECT_EQ(refused.status, 1);
    EXPECT_EQ(accepted.status, 0);
    EXPECT_EQ(refused.err + accepted.err, "quillbox-cli: not accepted\nquillbox-cli: accepted\n");
    EXPECT_EQ(Run({"view", "COM9"}).status, 0);
}

// Data that cannot reach standard output is a failure that says why, logged after the
// device's lines; a disclaimer that could not be shown is not accepted.
TEST_F(CliTest, AFullStandardOutputFailsAndSaysWhy) {
    std::string listed = "[SEND] !VS\n";
    for (const std::string& line : kStored) {
        listed += "[RECV] " + line + "\n";
    }
    const std::pair<Lines, std::string> rows[] = {{{"view", "COM9"}, listed},
                                                  {{"send", "COM9", "!VS"}, "[SEND] !VS\n"},
                                                  {{"ports"}, ""},
                                                  {{"--help"}, ""},
                                                  {{"agree"}, ""}};
    const std::string conf = "home/.config/TavrelSystems/quillbox.conf";
    for (const auto& [args, logged] : rows) {
        tree.WriteFile(conf, args[0] == "agree" ? "" : "[SETTINGS]\nAGREEMENT=1\n");
        const Result result = Wait(Spawn(args, "y\n", "full", "/dev/full"), "full");
        EXPECT_EQ(result.status, 1) << args[0];
        EXPECT_EQ(result.err, logged + "quillbox-cli: standard output: No space left on device\n");
    }
    EXPECT_EQ(TempTree::Read(tree.Path(conf)), "");
}

// The list names each port with its device; a link takes the place of the built-in entry.
TEST_F(CliTest, PortsListsEachLinkedDevice) {
    StartDevice({}, {}, 1);
    const Result result = Run({"ports"});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out.rfind("COM1\t" + second->SlavePath(), 0), 0u) << result.out;
    EXPECT_NE(result.out.find("\nCOM9\t" + device->SlavePath()), std::string::npos) << result.out;
}

// Batches run in parallel on different ports; the same port is taken once.
TEST_F(CliTest, TwoPortsAtOnce) {
    StartDevice(kPartial, {}, 8);
    tree.WriteFile("unit7.txt", "!PA 10.0.0.9\n!PP 80\n");
    const pid_t first = Spawn({"write", "COM9", "FILE"}, "", "a");
    const pid_t other = Spawn({"view", "COM8"}, "", "b");
    EXPECT_EQ(Wait(other, "b").out, "!PA 192.168.0.10\n!PP 5000\n!TB 9600\n");
    EXPECT_EQ(Run({"view", "COM9"}).status, 3);  // the write still holds it
    EXPECT_EQ(Wait(first, "a").status, 0);
    EXPECT_EQ(Model(&DeviceModel::StoredLines), (Lines{"!PA 10.0.0.9", "!PP 80"}));
}

// A held port (its lock, as the window takes it) and a COM number with no device exit 3, and a
// command left without descriptors says why: none of them sends anything.
TEST_F(CliTest, AnUnopenablePortExitsThreeAndNoBackupMeansNoErase) {
    const int holder = open(device->SlavePath().c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    ASSERT_EQ(flock(holder, LOCK_EX | LOCK_NB), 0);
    for (const std::string& port : Lines{"COM9", "COM30", tree.Path("no-device")}) {
        const Result refused = Run({"view", port});
        EXPECT_EQ(refused.status, 3) << port << refused.err;
        // A device path is named as itself, never as the COM1 it is opened as.
        EXPECT_EQ(refused.err.find("COM1"), std::string::npos) << refused.err;
    }
    close(holder);
    EXPECT_TRUE(Model(&DeviceModel::CommandLog).empty());
    // Reached by its device path, the port opens; the backup folder cannot be made.
    tree.WriteFile("home/.local/share/quillbox", "a file where the folder belongs");
    const Result result = Run({"delete", device->SlavePath()});
    EXPECT_EQ(result.status, 1) << result.err;
    EXPECT_NE(result.err.find(device->SlavePath()), std::string::npos) << result.err;
#if !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)  // they hold descriptors too
    fileLimit = 4;  // the standard streams and one of the two that a session needs
    EXPECT_EQ(Run({"view", "COM9"}).err, "quillbox-cli: Too many open files\n");
#endif
    EXPECT_EQ(Model(&DeviceModel::CommandLog), Lines{"!VS"});
    EXPECT_EQ(Model(&DeviceModel::StoredLines), kStored);
}

}  // namespace
