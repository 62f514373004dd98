#pragma once

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <stdexcept>
#include <string>

#include "tests/unit/link/temp_tree.h"

// A bare pseudo-terminal pair standing in for a device: the test plays the device on the
// master side; the slave is linked as COM<n> in the tree's links folder. The test keeps its
// own slave descriptor (the line survives the channel's closes) to inspect the settings.
class PtyPort {
public:
    PtyPort(const TempTree& tree, int portNumber) {
        char name[128] = {};
        if (openpty(&master, &slave, name, nullptr, nullptr) != 0) {
            throw std::runtime_error("openpty failed");
        }
        slavePath = name;
        fcntl(master, F_SETFL, O_NONBLOCK);
        fcntl(master, F_SETFD, FD_CLOEXEC);
        fcntl(slave, F_SETFD, FD_CLOEXEC);
        tree.MakeLink("links/COM" + std::to_string(portNumber), slavePath);
    }
    ~PtyPort() { Unplug(); }
    PtyPort(const PtyPort&) = delete;
    PtyPort& operator=(const PtyPort&) = delete;

    int Master() const { return master; }
    int Slave() const { return slave; }
    const std::string& SlavePath() const { return slavePath; }

    // The device sends all of `bytes`, waiting at most 10 s for room each time.
    void Send(const std::string& bytes) const {
        for (size_t sent = 0; sent < bytes.size();) {
            const ssize_t n = write(master, bytes.data() + sent, bytes.size() - sent);
            pollfd room{master, POLLOUT, 0};
            if (n > 0) {
                sent += static_cast<size_t>(n);
            } else if (poll(&room, 1, 10000) <= 0) {
                throw std::runtime_error("the program does not read the pseudo-terminal");
            }
        }
    }
    // What the device receives: until `count` bytes came or `timeoutMs` passed without any.
    std::string Receive(size_t count, int timeoutMs) const {
        std::string received;
        char buffer[4096];
        pollfd readable{master, POLLIN, 0};
        while (received.size() < count && poll(&readable, 1, timeoutMs) > 0) {
            const ssize_t n = read(master, buffer, sizeof buffer);
            if (n <= 0) {
                break;
            }
            received.append(buffer, static_cast<size_t>(n));
        }
        return received;
    }
    // Bytes the device sent that the program has not read yet.
    int Unread() const {
        int pending = 0;
        return ioctl(slave, FIONREAD, &pending) == 0 ? pending : -1;
    }
    // Closes both test-side descriptors, as an unplugged adapter would vanish.
    void Unplug() {
        for (int* fd : {&master, &slave}) {
            if (*fd >= 0) {
                close(*fd);
                *fd = -1;
            }
        }
    }

private:
    int master = -1;
    int slave = -1;
    std::string slavePath;
};
