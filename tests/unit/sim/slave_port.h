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

    // Reads until `size` bytes have come or what came ends with `suffix`; gives up after a
    // generous time-out (the result then shows what was missing).
    std::string ReadUntil(const std::string& suffix, size_t size = SIZE_MAX,
                          int timeoutMs = 10000) {
        using Clock = std::chrono::steady_clock;
        const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
        std::string got;
        char buffer[4096];
        while (got.size() < size && !EndsWith(got, suffix)) {
            const auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
            pollfd ready{fd, POLLIN, 0};
            if (left.count() <= 0 || poll(&ready, 1, static_cast<int>(left.count())) <= 0) {
                break;
            }
            const ssize_t n = read(fd, buffer, sizeof buffer);
            if (n <= 0) {
                break;
            }
            got.append(buffer, static_cast<size_t>(n));
        }
        return got;
    }

    const int fd;

private:
    static bool EndsWith(const std::string& text, const std::string& suffix) {
        return !suffix.empty() && text.size() >= suffix.size() &&
               text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
    }
};
