// Standard output of quillbox-cli: device bytes made harmless, every byte written or a
// failure seen.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <functional>
#include <thread>

#include "cli/cli_output.h"
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
                    received = ReadFrom(fd, std::string::npos, 10000);
                    close(fd);
                }).first);
    EXPECT_TRUE(received == bytes);
    EXPECT_EQ(WriteToPipe(bytes, close), std::make_pair(false, EPIPE));
}

}  // namespace
