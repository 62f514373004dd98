#include "sim/pty_host.h"

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/eventfd.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <utility>

#include "sim/com_link.h"

namespace {

// Long enough for the reader on the other side to wake up between the two pieces.
constexpr int kSplitPauseMs = 20;

void CloseIfOpen(int& fd) {
    if (fd >= 0) {
        close(fd);
        fd = -1;
    }
}

}  // namespace

PtyHost::PtyHost(DeviceModel model) : model(std::move(model)) {}

PtyHost::~PtyHost() {
    Unplug();
    CloseIfOpen(stopFd);
    RemoveComLinkIfOurs(linkPath, slavePath);
}

bool PtyHost::Open(std::string* error) {
    master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    char name[128];
    if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0 ||
        ptsname_r(master, name, sizeof name) != 0) {
        *error = std::string("cannot open a pseudo-terminal: ") + std::strerror(errno);
        return false;
    }
    slavePath = name;
    ownSlave = open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    stopFd = eventfd(0, EFD_CLOEXEC);
    termios settings{};
    if (ownSlave >= 0 && stopFd >= 0 && tcgetattr(ownSlave, &settings) == 0) {
        // Raw at once: bytes queued before the program opens the port must not be cooked.
        cfmakeraw(&settings);
        cfsetspeed(&settings, B115200);
        if (tcsetattr(ownSlave, TCSANOW, &settings) == 0 &&
            fcntl(master, F_SETFL, O_NONBLOCK) == 0) {
            return true;
        }
    }
    *error = slavePath + ": " + std::strerror(errno);
    return false;
}

bool PtyHost::Start(std::string* error) {
    std::string reason = "the host has already been started";
    if (master < 0 && stopFd < 0) {
        if (Open(&reason)) {
            server = std::thread([this] { Serve(); });
            return true;
        }
        CloseIfOpen(master);
        CloseIfOpen(ownSlave);
        CloseIfOpen(stopFd);
        slavePath.clear();
    }
    if (error != nullptr) {
        *error = reason;
    }
    return false;
}

bool PtyHost::Pause(int milliseconds) const {
    pollfd stop{stopFd, POLLIN, 0};
    const int ready = poll(&stop, 1, milliseconds);
    return ready == 0 || (ready < 0 && errno == EINTR);
}

void PtyHost::Serve() {
    char buffer[4096];
    for (;;) {
        pollfd fds[2] = {{master, POLLIN, 0}, {stopFd, POLLIN, 0}};
        if ((poll(fds, 2, -1) < 0 && errno != EINTR) || fds[1].revents != 0) {
            return;
        }
        const ssize_t n = read(master, buffer, sizeof buffer);
        if (n < 0 && (errno == EAGAIN || errno == EINTR)) {
            continue;
        }
        if (n <= 0) {
            return;  // the pseudo-terminal is gone; serving on would spin
        }
        std::string answers;
        bool split = false;
        {
            std::lock_guard<std::mutex> lock(modelMutex);
            answers = model.Receive(std::string_view(buffer, static_cast<size_t>(n)));
            split = model.Faults().splitAnswers;
        }
        commandsArrived.notify_all();
        const int delay = answerDelayMs.load();
        if (answers.empty() || (delay > 0 && !Pause(delay))) {
            continue;
        }
        if (split) {
            SendSplit(answers);
        } else {
            WriteAll(answers);
        }
    }
}

// Each line leaves in two pieces: the first half, a pause, then the rest with its CR (and
// any LF after it).
void PtyHost::SendSplit(std::string_view rest) {
    while (!rest.empty()) {
        size_t end = std::min(rest.find('\r'), rest.size() - 1) + 1;
        end = std::min(rest.find_first_not_of('\n', end), rest.size());
        if (!WriteAll(rest.substr(0, end / 2)) || !Pause(kSplitPauseMs) ||
            !WriteAll(rest.substr(end / 2, end - end / 2))) {
            return;
        }
        rest.remove_prefix(end);
    }
}

bool PtyHost::WriteAll(std::string_view bytes) {
    std::lock_guard<std::mutex> lock(writeMutex);
    while (!bytes.empty()) {
        const ssize_t n = master < 0 ? -1 : write(master, bytes.data(), bytes.size());
        if (n > 0) {
            bytes.remove_prefix(static_cast<size_t>(n));
            continue;
        }
        if (master < 0 || (n < 0 && errno != EAGAIN && errno != EINTR)) {
            return false;
        }
        // Full: wait until the program reads, or the host stops.
        pollfd fds[2] = {{master, POLLOUT, 0}, {stopFd, POLLIN, 0}};
        if ((poll(fds, 2, -1) < 0 && errno != EINTR) || fds[1].revents != 0) {
            return false;
        }
    }
    return true;
}

bool PtyHost::LinkAsCom(int portNumber, const std::string& linksDir, std::string* error) {
    std::string reason = "the host has not been started";
    std::string made;
    if (!slavePath.empty() && MakeComLink(portNumber, linksDir, slavePath, &made, &reason)) {
        if (made != linkPath) {
            RemoveComLinkIfOurs(linkPath, slavePath);
        }
        linkPath = made;
        return true;
    }
    if (error != nullptr) {
        *error = reason;
    }
    return false;
}

void PtyHost::Unplug() {
    const uint64_t one = 1;
    while (stopFd >= 0 && write(stopFd, &one, sizeof one) < 0 && errno == EINTR) {
    }
    if (server.joinable()) {
        server.join();
    }
    std::lock_guard<std::mutex> lock(writeMutex);
    CloseIfOpen(master);
    CloseIfOpen(ownSlave);
}

void PtyHost::WithModel(const std::function<void(DeviceModel&)>& fn) {
    std::lock_guard<std::mutex> lock(modelMutex);
    fn(model);
}

bool PtyHost::WaitForCommands(size_t count, int timeoutMs) {
    std::unique_lock<std::mutex> lock(modelMutex);
    return commandsArrived.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                                    [&] { return model.CommandLog().size() >= count; });
}
