#include "sim/pty_host.h"

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/eventfd.h>
#include <termios.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

#include "sim/com_link.h"

namespace {

// Long enough for the reader on the other side to wake up between the two pieces.
constexpr int kSplitPauseMs = 20;
constexpr size_t kReadChunk = 4096;

std::string Reason(const char* what) {
    return std::string(what) + ": " + std::strerror(errno);
}

void CloseIfOpen(int& fd) {
    if (fd >= 0) {
        close(fd);
        fd = -1;
    }
}

// Cuts answers into lines, each ending after its CR and any LF that follows directly.
std::vector<std::string> AnswerLines(const std::string& answers) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < answers.size()) {
        size_t end = answers.find('\r', start);
        end = end == std::string::npos ? answers.size() : end + 1;
        while (end < answers.size() && answers[end] == '\n') {
            ++end;
        }
        lines.push_back(answers.substr(start, end - start));
        start = end;
    }
    return lines;
}

}  // namespace

struct PtyHost::Impl {
    explicit Impl(DeviceModel model) : model(std::move(model)) {}

    bool Open(std::string* error);
    void Serve();
    void Answer(const std::string& answers);
    bool WriteAll(std::string_view bytes);
    // Waits `milliseconds` unless the host stops first; false when it stopped.
    bool Pause(int milliseconds) const;

    std::mutex modelMutex;  // guards model
    std::condition_variable commandsArrived;
    DeviceModel model;

    std::mutex writeMutex;  // one writer at a time; guards master after Start
    int master = -1;
    int ownSlave = -1;
    int stopFd = -1;  // eventfd, written once to stop and never read, so it stays readable
    std::thread server;
    std::string slavePath;
    std::string linkPath;
    std::atomic<int> answerDelayMs{0};
};

bool PtyHost::Impl::Open(std::string* error) {
    master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master < 0) {
        *error = Reason("posix_openpt");
        return false;
    }
    char name[128];
    if (grantpt(master) != 0 || unlockpt(master) != 0 || ptsname_r(master, name, sizeof name)) {
        *error = Reason("cannot unlock the pseudo-terminal");
        return false;
    }
    slavePath = name;
    ownSlave = open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    termios settings{};
    if (ownSlave < 0 || tcgetattr(ownSlave, &settings) != 0) {
        *error = Reason(name);
        return false;
    }
    // Raw at once: bytes queued before the program opens the port must not be cooked.
    cfmakeraw(&settings);
    cfsetspeed(&settings, B115200);
    stopFd = eventfd(0, EFD_CLOEXEC);
    if (tcsetattr(ownSlave, TCSANOW, &settings) != 0 || stopFd < 0 ||
        fcntl(master, F_SETFL, O_NONBLOCK) != 0) {
        *error = Reason("cannot prepare the pseudo-terminal");
        return false;
    }
    return true;
}

bool PtyHost::Impl::Pause(int milliseconds) const {
    pollfd stop{stopFd, POLLIN, 0};
    const int ready = poll(&stop, 1, milliseconds);
    return ready == 0 || (ready < 0 && errno == EINTR);
}

void PtyHost::Impl::Serve() {
    char buffer[kReadChunk];
    for (;;) {
        pollfd fds[2] = {{master, POLLIN, 0}, {stopFd, POLLIN, 0}};
        if (poll(fds, 2, -1) < 0) {
            if (errno == EINTR) {
                continue;
            }
            return;
        }
        if (fds[1].revents != 0) {
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
        {
            std::lock_guard<std::mutex> lock(modelMutex);
            answers = model.Receive(std::string_view(buffer, static_cast<size_t>(n)));
        }
        commandsArrived.notify_all();
        Answer(answers);
    }
}

void PtyHost::Impl::Answer(const std::string& answers) {
    const int delay = answerDelayMs.load();
    if (answers.empty() || (delay > 0 && !Pause(delay))) {
        return;
    }
    bool split = false;
    {
        std::lock_guard<std::mutex> lock(modelMutex);
        split = model.Faults().splitAnswers;
    }
    if (!split) {
        WriteAll(answers);
        return;
    }
    for (const std::string& line : AnswerLines(answers)) {
        const size_t half = line.size() / 2;
        if (!WriteAll(std::string_view(line).substr(0, half)) || !Pause(kSplitPauseMs) ||
            !WriteAll(std::string_view(line).substr(half))) {
            return;
        }
    }
}

bool PtyHost::Impl::WriteAll(std::string_view bytes) {
    std::lock_guard<std::mutex> lock(writeMutex);
    while (!bytes.empty()) {
        if (master < 0) {
            return false;
        }
        const ssize_t n = write(master, bytes.data(), bytes.size());
        if (n > 0) {
            bytes.remove_prefix(static_cast<size_t>(n));
            continue;
        }
        if (n < 0 && errno != EAGAIN && errno != EINTR) {
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

PtyHost::PtyHost(DeviceModel model) : impl(new Impl(std::move(model))) {}

PtyHost::~PtyHost() {
    Unplug();
    CloseIfOpen(impl->stopFd);
    RemoveComLinkIfOurs(impl->linkPath, impl->slavePath);
    delete impl;
}

bool PtyHost::Start(std::string* error) {
    std::string reason;
    if (impl->master >= 0 || impl->stopFd >= 0) {
        reason = "the host has already been started";
    } else if (impl->Open(&reason)) {
        impl->server = std::thread([this] { impl->Serve(); });
        return true;
    } else {
        CloseIfOpen(impl->master);
        CloseIfOpen(impl->ownSlave);
        CloseIfOpen(impl->stopFd);
        impl->slavePath.clear();
    }
    if (error != nullptr) {
        *error = reason;
    }
    return false;
}

std::string PtyHost::SlavePath() const {
    return impl->slavePath;
}

bool PtyHost::LinkAsCom(int portNumber, const std::string& linksDir, std::string* error) {
    std::string reason;
    if (impl->slavePath.empty()) {
        reason = "the host has not been started";
    } else {
        std::string made;
        if (MakeComLink(portNumber, linksDir, impl->slavePath, &made, &reason)) {
            if (made != impl->linkPath) {
                RemoveComLinkIfOurs(impl->linkPath, impl->slavePath);
            }
            impl->linkPath = made;
            return true;
        }
    }
    if (error != nullptr) {
        *error = reason;
    }
    return false;
}

void PtyHost::Inject(const std::string& bytes) {
    impl->WriteAll(bytes);
}

void PtyHost::SetAnswerDelay(int milliseconds) {
    impl->answerDelayMs.store(milliseconds);
}

void PtyHost::Unplug() {
    if (impl->stopFd >= 0) {
        const uint64_t one = 1;
        while (write(impl->stopFd, &one, sizeof one) < 0 && errno == EINTR) {
        }
    }
    if (impl->server.joinable()) {
        impl->server.join();
    }
    std::lock_guard<std::mutex> lock(impl->writeMutex);
    CloseIfOpen(impl->master);
    CloseIfOpen(impl->ownSlave);
}

void PtyHost::WithModel(const std::function<void(DeviceModel&)>& fn) {
    std::lock_guard<std::mutex> lock(impl->modelMutex);
    fn(impl->model);
}

bool PtyHost::WaitForCommands(size_t count, int timeoutMs) {
    std::unique_lock<std::mutex> lock(impl->modelMutex);
    return impl->commandsArrived.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                                          [&] { return impl->model.CommandLog().size() >= count; });
}
