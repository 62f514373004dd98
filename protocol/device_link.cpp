#include "protocol/device_link.h"

#include <system_error>

DeviceLink::DeviceLink(const ComPortMap& ports, MessageSink& messages, std::function<void()> wake)
    : queue(std::move(wake)), channel(ports, messages) {}

DeviceLink::~DeviceLink() {
    Stop();
}

void DeviceLink::Stop() {
    RequestStop();
    if (worker.joinable()) {
        worker.join();
    }
}

void DeviceLink::Start() {
    stopWorker = 0;
    try {
        worker = std::thread(ReceiveThreadProc, &context);
    } catch (const std::system_error&) {
        stopWorker = 1;
    }
}

void DeviceLink::RequestStop() {
    stopWorker = 1;
    channel.Wake();
}

bool DeviceLink::Open(uint16_t portNumber) {
    if (channel.OpenPort(portNumber, SerialSettings()) == 1) {
        return true;
    }
    // Whatever the failed open got is released.
    channel.ClosePort();
    channel.portOpen = 0;
    return false;
}

void DeviceLink::Close() {
    // Cleared first, so that the worker starts no further read.
    channel.portOpen = 0;
    channel.ClosePort();
    queue.Clear();
}
