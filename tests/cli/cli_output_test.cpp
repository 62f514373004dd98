// Standard output of quillbox-cli: device bytes made harmless, every byte written or a
// failure seen, and the real binary's status when its output cannot be written.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <thread>

#include "cli/cli_output.h"
#include "sim/pty_host.h"
#include "tests/unit/link/temp_tree.h"

namespace {

struct PrintableCase {
    const char* name;
    std::string bytes;
    std::string shown;
};

void PrintTo(const PrintableCase& c, std::ostream* os) {
    *os << c.name;
}

class PrintableTest : public ::testing::TestWithParam<PrintableCase> {};

TEST_P(PrintableTest, ControlBytesAreShownAsHex) {
    EXPECT_EQ(Printable(GetParam().bytes), GetParam().shown);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PrintableTest,
    ::testing::Values(PrintableCase{"Plain", "!PA 10.1.0.1", "!PA 10.1.0.1"},
                      PrintableCase{"Escape", "\x1b]0;owned\x07", "\\x1B]0;owned\\x07"},
                      PrintableCase{"CrLfTabNul", std::string("a\r\n\t\0b", 6),
                                    "a\\x0D\\x0A\\x09\\x00b"},
                      PrintableCase{"Delete", "x\x7fy", "x\\x7Fy"},
                      PrintableCase{"HighBytesStay", "\xea\xb0\x80\xff", "\xea\xb0\x80\xff"}),
    [](const auto& info) { return std::string(info.param.name); });

// Standard output replaced by a pipe for one test.
class StdoutPipe {
public:
    explicit StdoutPipe(bool nonBlocking) {
        EXPECT_EQ(pipe(fds), 0);
        if (nonBlocking) {
            fcntl(fds[1], F_SETFL, fcntl(fds[1], F_GETFL) | O_NONBLOCK);
        }
        saved = dup(STDOUT_FILENO);
        dup2(fds[1], STDOUT_FILENO);
        close(fds[1]);
    }
    ~StdoutPipe() {
        dup2(saved, STDOUT_FILENO);
        close(saved);
        if (fds[0] >= 0) {
            close(fds[0]);
        }
    }
    int ReadEnd() const { return fds[0]; }
    void CloseReadEnd() {
        close(fds[0]);
        fds[0] = -1;
    }
    // Everything written until standard output is put back.
    std::string ReadAll() {
        std::string all;
        char buffer[4096];
        for (ssize_t n; (n = read(fds[0], buffer, sizeof buffer)) > 0;) {
            all.append(buffer, static_cast<size_t>(n));
        }
        return all;
    }

private:
    int fds[2] = {-1, -1};
    int saved = -1;
};

struct WriteCase {
    const char* name;
    bool nonBlocking;
    size_t size;
};

void PrintTo(const WriteCase& c, std::ostream* os) {
    *os << c.name;
}

class WriteStdoutTest : public ::testing::TestWithParam<WriteCase> {};

// More than a pipe holds, so that writes are cut short (and refused for now, when standard
// output does not block) while the reader catches up.
TEST_P(WriteStdoutTest, EveryByteArrivesInOrder) {
    std::string bytes(GetParam().size, '\0');
    for (size_t i = 0; i < bytes.size(); ++i) {
        bytes[i] = static_cast<char>(i * 7 + i / 251);
    }
    std::string received;
    {
        StdoutPipe out(GetParam().nonBlocking);
        std::thread reader([&] { received = out.ReadAll(); });
        EXPECT_TRUE(WriteStdout(bytes));
        // The reader sees the end once no descriptor of the write end is left.
        const int null = open("/dev/null", O_WRONLY | O_CLOEXEC);
        dup2(null, STDOUT_FILENO);
        close(null);
        reader.join();
    }
    EXPECT_EQ(received.size(), bytes.size());
    EXPECT_TRUE(received == bytes);
}

INSTANTIATE_TEST_SUITE_P(Cases, WriteStdoutTest,
                         ::testing::Values(WriteCase{"Blocking", false, 1 << 20},
                                           WriteCase{"NonBlocking", true, 1 << 20},
                                           WriteCase{"Empty", true, 0}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(WriteStdoutFailure, AClosedReaderIsAFailureWithEpipe) {
    signal(SIGPIPE, SIG_IGN);
    StdoutPipe out(false);
    out.CloseReadEnd();
    errno = 0;
    EXPECT_FALSE(WriteStdout("!PA 10.1.0.1\n"));
    EXPECT_EQ(errno, EPIPE);
}

struct BinaryCase {
    const char* name;
    std::vector<std::string> args;
    std::string input;
};

void PrintTo(const BinaryCase& c, std::ostream* os) {
    *os << c.name;
}

// The real binary with standard output on /dev/full, a COM port of the simulator listed, and
// HOME in a temporary tree.
class FullOutputTest : public ::testing::TestWithParam<BinaryCase> {
protected:
    TempTree tree;
};

TEST_P(FullOutputTest, ExitsOneAndSaysWhy) {
    PtyHost device(DeviceModel({}, {}));
    std::string error;
    ASSERT_TRUE(device.Start(&error)) << error;
    ASSERT_TRUE(device.LinkAsCom(9, tree.Path(TempTree::kLinks), &error)) << error;
    tree.WriteFile("in", GetParam().input);
    std::string home = "HOME=" + tree.Path("home"), run = "XDG_RUNTIME_DIR=" + tree.Path("run");
    char lang[] = "LANG=C.UTF-8";
    std::vector<char*> envp{home.data(), run.data(), lang, nullptr};
    std::vector<std::string> args = GetParam().args;
    std::vector<char*> argv{const_cast<char*>(QUILLBOX_CLI)};
    for (std::string& arg : args) {
        argv.push_back(arg.data());
    }
    argv.push_back(nullptr);
    const pid_t pid = fork();
    if (pid == 0) {
        freopen(tree.Path("in").c_str(), "r", stdin);
        freopen("/dev/full", "w", stdout);
        freopen(tree.Path("err").c_str(), "w", stderr);
        alarm(30);
        execve(QUILLBOX_CLI, argv.data(), envp.data());
        _exit(127);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 1);
    std::ifstream err(tree.Path("err"));
    const std::string said(std::istreambuf_iterator<char>(err), {});
    EXPECT_NE(said.find("quillbox-cli: standard output: No space left on device"),
              std::string::npos)
        << said;
    // A disclaimer that could not be shown is not accepted.
    EXPECT_FALSE(std::filesystem::exists(tree.Path("home/.config/TavrelSystems/quillbox.conf")));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FullOutputTest,
    ::testing::Values(BinaryCase{"Ports", {"ports"}, ""}, BinaryCase{"Help", {"--help"}, ""},
                      BinaryCase{"HelpAfterCommand", {"view", "COM9", "-h"}, ""},
                      BinaryCase{"Agree", {"agree"}, "y\n"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
