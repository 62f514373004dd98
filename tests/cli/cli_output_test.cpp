// Standard output of quillbox-cli: device bytes made harmless, every byte written or a
// failure seen, and the real binary's status when its output cannot be written.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <functional>
#include <thread>

#include "cli/cli_output.h"
#include "sim/pty_host.h"
#include "tests/unit/link/temp_tree.h"

namespace {

TEST(CliOutput, PrintableShowsControlBytesAsHex) {
    EXPECT_EQ(Printable(std::string("a ~\x1f\x7f\x80\xff\0\x1b]\r\n", 12)),
              "a ~\\x1F\\x7F\x80\xff\\x00\\x1B]\\x0D\\x0A");
}

// WriteStdout(bytes) with standard output on a pipe that does not block, while `reader` is
// handed the read end in a thread; its result and errno.
std::pair<bool, int> WriteToPipe(const std::string& bytes, const std::function<void(int)>& reader) {
    int fds[2];
    EXPECT_EQ(pipe(fds), 0);
    fcntl(fds[1], F_SETFL, O_NONBLOCK);
    const int saved = dup(STDOUT_FILENO);
    dup2(fds[1], STDOUT_FILENO);
    close(fds[1]);
    std::thread thread(reader, fds[0]);
    const bool written = WriteStdout(bytes);
    const int error = errno;
    // Standard output back: no descriptor of the write end is left, and the reader sees the end.
    dup2(saved, STDOUT_FILENO);
    close(saved);
    thread.join();
    return {written, error};
}

// More than a pipe holds, so that writes are cut short and refused for now while the reader
// catches up, or until it is gone.
TEST(CliOutput, WriteStdoutDeliversEveryByteOrFailsWithEpipe) {
    signal(SIGPIPE, SIG_IGN);
    std::string bytes(1 << 20, '\0'), received;
    for (size_t i = 0; i < bytes.size(); ++i) {
        bytes[i] = static_cast<char>(i * 7 + i / 251);
    }
    EXPECT_TRUE(WriteToPipe(bytes, [&](int fd) {
                    char buffer[4096];
                    for (ssize_t n; (n = read(fd, buffer, sizeof buffer)) > 0;) {
                        received.append(buffer, static_cast<size_t>(n));
                    }
                    close(fd);
                }).first);
    EXPECT_TRUE(received == bytes);
    EXPECT_EQ(WriteToPipe(bytes, close), std::make_pair(false, EPIPE));
}

// The real binary with standard output on /dev/full, a COM port of the simulator listed and
// HOME in a temporary tree: status 1 and why; a disclaimer that could not be shown is not
// accepted.
TEST(CliOutput, AFullStandardOutputExitsOneAndSaysWhy) {
    TempTree tree;
    PtyHost device(DeviceModel({}, {}));
    std::string error;
    ASSERT_TRUE(device.Start(&error) && device.LinkAsCom(9, tree.Path(TempTree::kLinks), &error))
        << error;
    const std::string run =
        "cd '" + tree.Path("") +
        "' && echo y | env -i HOME=$PWD/home XDG_RUNTIME_DIR=$PWD/run LANG=C.UTF-8 '" QUILLBOX_CLI
        "' ";
    for (const char* command : {"ports", "--help", "agree"}) {
        EXPECT_EQ(std::system((run + command + " >/dev/full 2>err; echo $? >>err").c_str()), 0);
        std::ifstream err(tree.Path("err"));
        EXPECT_EQ(std::string(std::istreambuf_iterator<char>(err), {}),
                  "quillbox-cli: standard output: No space left on device\n1\n")
            << command;
    }
    EXPECT_FALSE(std::filesystem::exists(tree.Path("home/.config/TavrelSystems/quillbox.conf")));
}

}  // namespace
