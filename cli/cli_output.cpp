#include "cli/cli_output.h"

#include <poll.h>
#include <unistd.h>

#include <cerrno>

bool WriteStdout(const std::string& bytes) {
    for (size_t done = 0; done < bytes.size();) {
        const ssize_t n = write(STDOUT_FILENO, bytes.data() + done, bytes.size() - done);
        if (n > 0) {
            done += static_cast<size_t>(n);
            continue;
        }
        if (n == 0) {
            // A write that takes nothing would take nothing again.
            errno = EIO;
            return false;
        }
        if (errno == EAGAIN || errno == EWOULDBLOCK) {
            pollfd out{STDOUT_FILENO, POLLOUT, 0};
            poll(&out, 1, -1);
        } else if (errno != EINTR) {
            return false;
        }
    }
    return true;
}

std::string Printable(const std::string& text) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string shown;
    shown.reserve(text.size());
    for (const char c : text) {
        const unsigned char byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F) {
            shown += {'\\', 'x', kHex[byte >> 4], kHex[byte & 0xF]};
        } else {
            shown += c;
        }
    }
    return shown;
}
