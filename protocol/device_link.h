#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <thread>

#include "link/serial_channel.h"
#include "protocol/receive_queue.h"
#include "protocol/receive_worker.h"
#include "protocol/script_session.h"

// The serial channel, the receive worker and the queue between them, wired once for both front
// ends. The worker reads the whole time the port is open and only appends to the queue; the
// user-interface thread drains it (through the session). Open, Close and WritePort on the
// user-interface thread; `wake` is called on the worker and must not block.
class DeviceLink : public SessionPort {
public:
    // `ports` and `messages` must outlive the link.
    DeviceLink(const ComPortMap& ports, MessageSink& messages, std::function<void()> wake);
    ~DeviceLink() override;  // stops and joins the worker; what is still queued is dropped
    DeviceLink(const DeviceLink&) = delete;
    DeviceLink& operator=(const DeviceLink&) = delete;

    // Starts the worker. Without one (no thread could be made) the link still opens and writes;
    // it just never receives anything.
    void Start();
    // Asks the worker to end without waiting for it (exit).
    void RequestStop();
    // Asks the worker to end and joins it; it never waits for the user-interface thread, so
    // this returns promptly.
    void Stop();

    // The port at the channel's own settings; false when it did not open (the channel has
    // shown why), and nothing is held.
    [[nodiscard]] bool Open(uint16_t portNumber);
    // Closes the port; the lines still queued belong to nothing any more and are dropped.
    void Close();

    bool PortIsOpen() const override { return channel.portOpen.load() == 1; }
    int WritePort(const char* data, int length) override { return channel.WritePort(data, length); }

    CSCom& Channel() { return channel; }
    ReceiveQueue& Queue() { return queue; }

private:
    ReceiveQueue queue;
    CSCom channel;
    std::atomic<int> stopWorker{1};
    ReceiveContext context{channel, stopWorker, queue};
    std::thread worker;
};
