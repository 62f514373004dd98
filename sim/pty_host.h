#pragma once

#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>

#include "sim/device_model.h"

// Serves a DeviceModel on the master side of a pseudo-terminal from a thread of its own, so
// that the real serial channel can open the slave side like a COM port. It keeps a slave
// descriptor of its own: the master sees no hang-up when the program closes and reopens the
// port, and bytes sent before the program opens wait in the queue.
// Threads: Start, LinkAsCom, Unplug and the destructor on the owner's thread, one at a time;
// the rest from any thread once Start has returned.
class PtyHost {
public:
    explicit PtyHost(DeviceModel model);
    ~PtyHost();  // stops the thread, removes the COM link, closes everything
    PtyHost(const PtyHost&) = delete;
    PtyHost& operator=(const PtyHost&) = delete;

    // Opens the pseudo-terminal (slave raw) and starts serving. False with a reason on failure.
    bool Start(std::string* error = nullptr);
    std::string SlavePath() const { return slavePath; }  // e.g. /dev/pts/7
    // MakeComLink for the slave; the link is removed with the host.
    bool LinkAsCom(int portNumber, const std::string& linksDir, std::string* error = nullptr);

    // Sends raw bytes to the host side as if the device had sent them (floods, noise). Blocks
    // while the pseudo-terminal is full, until the program reads or the host is unplugged.
    void Inject(const std::string& bytes) { WriteAll(bytes); }
    // Answers are held back this long (milliseconds) before they are sent.
    void SetAnswerDelay(int milliseconds) { answerDelayMs.store(milliseconds); }
    // Closes the master side as an unplugged adapter vanishes: the program's slave descriptor
    // hangs up. Waits for the serving thread to end; later Inject calls do nothing.
    void Unplug();

    // Runs `fn` on the model under the host's lock.
    void WithModel(const std::function<void(DeviceModel&)>& fn);
    // Blocks until the model has received `count` command lines in all, or `timeoutMs` passed.
    bool WaitForCommands(size_t count, int timeoutMs);

private:
    bool Open(std::string* error);
    void Serve();
    void SendSplit(std::string_view answers);
    bool WriteAll(std::string_view bytes);
    // Waits `milliseconds` unless the host stops first; false when it stopped.
    bool Pause(int milliseconds) const;

    std::mutex modelMutex;
    std::condition_variable commandsArrived;
    DeviceModel model;      // guarded by modelMutex
    std::mutex writeMutex;  // one writer at a time; guards master after Start
    int master = -1;
    int ownSlave = -1;
    int stopFd = -1;  // eventfd, written once to stop and never read, so it stays readable
    std::thread server;
    std::string slavePath;
    std::string linkPath;
    std::atomic<int> answerDelayMs{0};
};
