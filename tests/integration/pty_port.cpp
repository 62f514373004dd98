#include "tests/integration/pty_port.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <stdexcept>

PtyPort::PtyPort(const TempTree& tree, int portNumber) {
    char name[128] = {};
    if (openpty(&master, &slave, name, nullptr, nullptr) != 0) {
        throw std::runtime_error("openpty failed");
    }
    slavePath = name;
    fcntl(master, F_SETFL, fcntl(master, F_GETFL) | O_NONBLOCK);
    fcntl(master, F_SETFD, FD_CLOEXEC);
    fcntl(slave, F_SETFD, FD_CLOEXEC);
    tree.MakeLink("links/COM" + std::to_string(portNumber), slavePath);
}

PtyPort::~PtyPort() {
    Unplug();
}

void PtyPort::Send(const std::string& bytes) const {
    size_t sent = 0;
    while (sent < bytes.size()) {
        const ssize_t n = write(master, bytes.data() + sent, bytes.size() - sent);
        if (n > 0) {
            sent += static_cast<size_t>(n);
        } else if (errno == EAGAIN) {
            pollfd writable{master, POLLOUT, 0};
            if (poll(&writable, 1, 10000) <= 0) {
                throw std::runtime_error("the program does not read the pseudo-terminal");
            }
        } else if (errno != EINTR) {
            throw std::runtime_error("write to the pseudo-terminal master failed");
        }
    }
}

std::string PtyPort::Receive(size_t count, int timeoutMs) const {
    std::string received;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (received.size() < count) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        pollfd readable{master, POLLIN, 0};
        if (left.count() <= 0 || poll(&readable, 1, static_cast<int>(left.count())) <= 0) {
            break;
        }
        char buffer[4096];
        const ssize_t n = read(master, buffer, sizeof buffer);
        if (n <= 0) {
            break;
        }
        received.append(buffer, static_cast<size_t>(n));
    }
    return received;
}

int PtyPort::Unread() const {
    int pending = 0;
    return ioctl(slave, FIONREAD, &pending) == 0 ? pending : -1;
}

void PtyPort::Unplug() {
    if (master >= 0) {
        close(master);
        master = -1;
    }
    if (slave >= 0) {
        close(slave);
        slave = -1;
    }
}
