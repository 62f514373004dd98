#pragma once

#include <fcntl.h>
#include <gtest/gtest.h>
#include <pty.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <condition_variable>
#include <cstring>
#include <filesystem>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "protocol/device_link.h"
#include "tests/unit/link/temp_tree.h"

// Records every message box the channel asks for, from any thread; `messages` may be read
// directly once no other thread uses the channel.
struct RecordingSink : MessageSink {
    void ShowMessage(const UserMessage& message) override {
        std::scoped_lock lock(mutex);
        messages.push_back(message);
    }
    size_t Count() const {
        std::scoped_lock lock(mutex);
        return messages.size();
    }

    mutable std::mutex mutex;
    std::vector<UserMessage> messages;
};

inline int OpenDescriptorCount() {
    const std::filesystem::directory_iterator entries("/proc/self/fd");
    return static_cast<int>(std::distance(begin(entries), end(entries)));
}

// A bare pseudo-terminal linked as COM<n>: the test plays the device on the master side and
// keeps a slave descriptor of its own to look at the line. Unplug closes both, as an
// unplugged adapter vanishes.
struct PtyPort {
    PtyPort(const TempTree& tree, int portNumber) {
        char name[128] = {};
        if (openpty(&master, &slave, name, nullptr, nullptr) != 0) {
            throw std::runtime_error("openpty failed");
        }
        fcntl(master, F_SETFL, O_NONBLOCK);
        tree.MakeLink(TempTree::kLinks + ("/COM" + std::to_string(portNumber)), name);
    }
    ~PtyPort() { Unplug(); }
    void Unplug() {
        close(master);
        close(slave);
        master = slave = -1;
    }
    // Bytes the device sent that the program has not read yet.
    int Unread() const {
        int pending = 0;
        return ioctl(slave, FIONREAD, &pending) == 0 ? pending : -1;
    }
    // The device sends a few bytes; they wait for the program (10 s at most) on return.
    void Send(const std::string& bytes) const {
        const int expected = Unread() + static_cast<int>(bytes.size());
        ASSERT_EQ(write(master, bytes.data(), bytes.size()), ssize_t(bytes.size()));
        for (int wait = 0; wait < 10000 && Unread() < expected; ++wait) {
            usleep(1000);
        }
    }

    int master = -1;
    int slave = -1;
};

// A channel over a bare pseudo-terminal linked as COM7 in a private tree.
class ChannelTest : public ::testing::Test {
protected:
    static constexpr int kPort = 7;

    [[nodiscard]] int Open(SerialSettings settings = {}) { return port.OpenPort(kPort, settings); }
    int Exclusive() const {
        int exclusive = -1;
        return ioctl(pty.slave, TIOCGEXCL, &exclusive) == 0 ? exclusive : -1;
    }
    // One read of at most 128 bytes; nothing is written past what was read.
    std::string Read() {
        char buffer[129];
        std::memset(buffer, 'x', sizeof buffer);
        const int n = port.ReadPort(buffer, 128);
        EXPECT_EQ(std::string(buffer + n, buffer + 128), std::string(128 - n, '\0'));
        EXPECT_EQ(buffer[128], 'x') << "read past the capacity";
        return std::string(buffer, static_cast<size_t>(n));
    }

    TempTree tree;
    PtyPort pty{tree, kPort};
    ComPortMap map{tree.Roots()};
    RecordingSink sink;
    CSCom port{map, sink};
};

// The link both front ends use, its worker started. The queue's wake-up stands in for the
// window: it takes what the worker queued, on the worker's thread, and records the lines.
class WorkerHarness {
public:
    WorkerHarness(const ComPortMap& map, MessageSink& sink) : link(map, sink, [this] { Take(); }) {
        link.Start();
    }
    // Joined here, before what the wake-up records goes (a worker that does not end hangs).
    ~WorkerHarness() { link.Stop(); }

    // What the window was handed so far: the lines, and how often the port was lost.
    struct Taken {
        std::vector<std::string> lines;
        int lost = 0;
    };
    // True once `done` holds for what was taken; false after ten seconds.
    bool WaitUntil(const std::function<bool(const Taken&)>& done) {
        std::unique_lock<std::mutex> lock(mutex);
        return changed.wait_for(lock, std::chrono::seconds(10), [&] { return done(taken); });
    }
    Taken Seen() const {
        std::lock_guard<std::mutex> lock(mutex);
        return taken;
    }

    DeviceLink link;

private:
    void Take() {
        ReceivedBatch items;
        link.Queue().TakeAll(items);
        std::lock_guard<std::mutex> lock(mutex);
        for (ReceivedBatch::Item item; items.Next(item);) {
            if (item.kind == ReceivedItem::Kind::Line) {
                taken.lines.emplace_back(item.line);
            }
            taken.lost += item.kind == ReceivedItem::Kind::PortLost ? 1 : 0;
        }
        changed.notify_all();
    }

    mutable std::mutex mutex;  // guards taken
    std::condition_variable changed;
    Taken taken;
};
