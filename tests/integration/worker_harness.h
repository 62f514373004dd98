#pragma once

#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "protocol/device_link.h"

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
