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
// that the real serial channel can open the slave side like a COM port.
//
// Threads: Start, LinkAsCom, Unplug and the destructor belong to the thread that owns the
// host and must not run concurrently with each other. Inject, SetAnswerDelay, WithModel,
// WaitForCommands and SlavePath may be called from any thread once Start has returned.
// The host keeps a slave descriptor of its own, so the master never sees a hang-up when the
// program closes and reopens the port; bytes sent before the program opens wait in the queue.
class PtyHost {
public:
    explicit PtyHost(DeviceModel model);
    ~PtyHost();  // stops the thread, removes the COM link, closes everything
    PtyHost(const PtyHost&) = delete;
    PtyHost& operator=(const PtyHost&) = delete;

    // Opens the pseudo-terminal (slave raw) and starts serving. False with a reason on failure.
    bool Start(std::string* error = nullptr);
    // The slave device path, e.g. /dev/pts/7.
    std::string SlavePath() const { return slavePath; }
    // Makes `linksDir`/COM<n> a symbolic link to the slave (creating the folder, mode 0700).
    // n must be 1 to 30; an existing link is replaced, any other file is left alone.
    bool LinkAsCom(int portNumber, const std::string& linksDir, std::string* error = nullptr);

    // Sends raw bytes to the host side as if the device had sent them (floods, noise). Blocks
    // while the pseudo-terminal is full, until the program reads or the host is unplugged.
    void Inject(const std::string& bytes) { WriteAll(bytes); }
    // Answers are held back this long (milliseconds) before they are sent.
    void SetAnswerDelay(int milliseconds) { answerDelayMs.store(milliseconds); }
    // Closes the master side as an unplugged adapter would: on the program's slave descriptor
    // poll then reports POLLHUP, reads return end of file and writes fail with EIO.
    // Waits for the serving thread to end; later Inject calls do nothing.
    void Unplug();

    // Runs `fn` on the model under the host's lock (inspect or change it while serving).
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
