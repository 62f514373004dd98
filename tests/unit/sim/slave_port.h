#pragma once

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <chrono>
#include <string>

// The program's side of the pseudo-terminal, opened plainly as the serial channel would.
class SlavePort {
public:
    explicit SlavePort(const std::string& path)
        : fd(open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC)) {}
    ~SlavePort() {
        if (fd >= 0) {
            close(fd);
        }
    }
    SlavePort(const SlavePort&) = delete;
    SlavePort& operator=(const SlavePort&) = delete;

    bool Send(const std::string& bytes) {
        return write(fd, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
    }

    // Reads until what came ends with `suffix`; gives up after a generous time-out (the
    // result then shows what was missing).
    std::string ReadUntil(const std::string& suffix) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        std::string got;
        char buffer[4096];
        while (got.size() < suffix.size() ||
               got.compare(got.size() - suffix.size(), suffix.size(), suffix) != 0) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            pollfd ready{fd, POLLIN, 0};
            const ssize_t n = left.count() > 0 && poll(&ready, 1, int(left.count())) > 0
                                  ? read(fd, buffer, sizeof buffer)
                                  : 0;
            if (n <= 0) {
                break;
            }
            got.append(buffer, static_cast<size_t>(n));
        }
        return got;
    }

    const int fd;
};
