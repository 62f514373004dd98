#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>

#include "link/serial_settings.h"
#include "link/user_message.h"

class ComPortMap;

// The serial port channel: one COM port, opened for exclusive use, raw, non-blocking reads,
// writes bounded at 500 ms. Every failure is shown through the MessageSink with the channel's
// own texts; callers only test the returned value (1/0 or a byte count).
//
// Threads: OpenPort, ClosePort and WritePort are called on the user-interface thread;
// ReadPort and WaitForInput on the receive worker. ClosePort never closes a descriptor that
// the worker is polling or reading: it wakes the worker and waits until it has let go.
class CSCom {
public:
    // `ports` maps a COM number to a device path; it must outlive the channel.
    CSCom(const ComPortMap& ports, MessageSink& messages);
    virtual ~CSCom();  // releases the descriptors silently; the worker must have ended
    CSCom(const CSCom&) = delete;
    CSCom& operator=(const CSCom&) = delete;

    // 1 when the port is open and configured (115200 8N1 raw by the given settings, exclusive,
    // DTR/RTS off, both queues flushed), else 0 after one message.
    [[nodiscard]] int OpenPort(uint16_t portNumber, SerialSettings settings);
    // 1 when no port is held afterwards; unsent output is discarded.
    int ClosePort();
    // Zero-fills `capacity` bytes of `buffer`, then takes at most `capacity` bytes that have
    // already arrived without waiting. 0 when nothing was waiting or on failure. A read
    // failure is shown once; one that will not go away (hang-up, unplugged) sets LineLost()
    // and later calls return 0 silently. Once the worker waits, a close of a port that was
    // open when the last WaitForInput began, or was opened since, raced the worker and is not
    // a misuse: it returns 0 without a message.
    int ReadPort(char* buffer, int capacity);
    // Writes in one call, giving up after 500 ms in all; the count actually written.
    int WritePort(const char* data, int length);

    // Worker side: blocks without a time-out until the open port has input or a hang-up, or
    // until Wake() is called (open, close and stop call it). Returns at once when woken
    // before the call.
    void WaitForInput();
    // Any thread: makes a pending or the next WaitForInput return.
    void Wake();
    // True after a read failure that will not go away (device unplugged); set by ReadPort,
    // cleared by the next successful OpenPort. The message was shown once, by ReadPort.
    bool LineLost() const { return lineLost.load(); }

    // The device path of the open port ("" when closed); for tooltips and tests.
    std::string DevicePath() const;

    std::atomic<int> portOpen{0};

private:
    // Implementation state, owned by serial_channel.cpp. ioMutex guards every member below
    // it except the atomics; the descriptors are only ever closed under it.
    const ComPortMap& portMap;
    MessageSink& sink;
    mutable std::mutex ioMutex;
    std::condition_variable ioIdle;  // notified when the worker stops polling the port
    int portFd = -1;
    int wakeFd = -1;            // eventfd; -1 only when it could not be created
    int wakeFdError = 0;        // why it could not be created
    int portPollers = 0;        // WaitForInput calls polling portFd right now
    bool closing = false;       // ClosePort is waiting for the pollers to let go
    bool workerWaits = false;   // a WaitForInput has begun: the worker does the reading
    bool waitSawOpen = false;   // the port was open when the last WaitForInput began, or since
    bool readableSeen = false;  // the last WaitForInput saw the port readable
    bool hangUpSeen = false;    // poll reported a hang-up or an error on the port
    bool readFailing = false;   // the last read failed; its message has been shown
    int emptyReadableReads = 0;
    std::string openPath;
    std::atomic<bool> lineLost{false};
    // Fallback wake-up when no eventfd exists (the port cannot be opened then).
    std::mutex wakeMutex;
    std::condition_variable wakeSignal;
    bool wakeRequested = false;

    [[nodiscard]] int OpenExclusive(const std::string& path, std::string* detail);
    [[nodiscard]] int ApplySettings(int fd, const SerialSettings& settings);
    [[nodiscard]] int SetModemLines(int fd, const SerialSettings& settings);
    [[nodiscard]] int ReleaseLocked(std::unique_lock<std::mutex>& lock);
    void ReadFailed(int error, std::unique_lock<std::mutex>& lock);
    void ReportLineLost(std::unique_lock<std::mutex>& lock);
    void WaitWithoutDescriptor();
    void ShowStandard(const std::string& text, const std::string& detail = {});
};
