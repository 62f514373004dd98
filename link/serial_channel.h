#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>

#include "link/serial_settings.h"
#include "link/user_message.h"

class ComPortMap;

// One COM port, raw 115200 8N1 without flow control, held for exclusive use. Every failure is
// shown through the MessageSink; callers only test the returned value (1/0 or a byte count).
// Threads: OpenPort, ClosePort and WritePort on the user-interface thread; ReadPort and
// WaitForInput on the receive worker. ClosePort never closes a descriptor that the worker is
// polling or reading: it wakes the worker and waits until it has let go.
class CSCom {
public:
    // `ports` maps a COM number to a device path; it must outlive the channel.
    CSCom(const ComPortMap& ports, MessageSink& messages);
    virtual ~CSCom();  // releases the port silently; the worker must have ended
    CSCom(const CSCom&) = delete;
    CSCom& operator=(const CSCom&) = delete;

    // 1 when the port is open (DTR/RTS off, both queues flushed), else 0 after one message.
    // Settings other than SerialSettings' defaults are refused.
    [[nodiscard]] int OpenPort(uint16_t portNumber, SerialSettings settings);
    // 1 when no port is held afterwards; unsent output is discarded.
    int ClosePort();
    // Zero-fills `capacity` bytes of `buffer`, then takes at most `capacity` bytes that have
    // already arrived, without waiting. 0 when nothing was waiting or on failure. A failed
    // read or a hung-up line (device unplugged) is shown once and sets LineLost(); later reads
    // return 0 silently. Once the worker waits, a read that finds the port closed raced the
    // owner's close: 0 without a message.
    int ReadPort(char* buffer, int capacity);
    // Writes in one call, giving up after 500 ms in all; the count actually written.
    int WritePort(const char* data, int length);

    // Worker side: blocks until the open port has input or hangs up, or until Wake() is
    // called (open, close and stop call it); returns at once when woken before the call.
    void WaitForInput();
    // Any thread: makes a pending or the next WaitForInput return.
    void Wake();
    // True once the open port failed for good; cleared by the next successful OpenPort.
    bool LineLost() const { return lineLost.load(); }
    std::string DevicePath() const;  // of the open port; "" when closed

    std::atomic<int> portOpen{0};

private:
    const ComPortMap& portMap;
    MessageSink& sink;
    const int wakeFd;     // eventfd polled beside the port; no port opens without it
    const int wakeError;  // why wakeFd could not be made
    std::atomic<bool> workerWaits{false};
    std::atomic<bool> lineLost{false};
    mutable std::mutex ioMutex;           // guards the members below; the port is closed only after
    std::condition_variable pollersGone;  // the last poller has let go
    int portFd = -1;
    int portPollers = 0;  // WaitForInput calls polling portFd right now
    std::string openPath;

    [[nodiscard]] int ReleasePort();
    void ShowStandard(const std::string& text, const std::string& detail = {});
};
