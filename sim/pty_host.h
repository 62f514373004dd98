#pragma once

#include <functional>
#include <string>

#include "sim/device_model.h"

// Serves a DeviceModel on the master side of a pseudo-terminal from a thread of its own, so
// that the real serial channel can open the slave side like a COM port.
class PtyHost {
public:
    explicit PtyHost(DeviceModel model);
    ~PtyHost();  // stops the thread, removes the COM link, closes everything
    PtyHost(const PtyHost&) = delete;
    PtyHost& operator=(const PtyHost&) = delete;

    // Opens the pseudo-terminal (slave raw) and starts serving. False with a reason on failure.
    bool Start(std::string* error = nullptr);
    // The slave device path, e.g. /dev/pts/7.
    std::string SlavePath() const;
    // Makes `linksDir`/COM<n> a symbolic link to the slave (creating the folder, mode 0700).
    bool LinkAsCom(int portNumber, const std::string& linksDir, std::string* error = nullptr);

    // Sends raw bytes to the host side as if the device had sent them (floods, noise).
    void Inject(const std::string& bytes);
    // Answers are held back this long (milliseconds) before they are sent.
    void SetAnswerDelay(int milliseconds);
    // Closes the master side as an unplugged adapter would; reads on the slave then fail.
    void Unplug();

    // Runs `fn` on the model under the host's lock (inspect or change it while serving).
    void WithModel(const std::function<void(DeviceModel&)>& fn);
    // Blocks until the model has received `count` command lines in all, or `timeoutMs` passed.
    bool WaitForCommands(size_t count, int timeoutMs);

private:
    struct Impl;
    Impl* impl;
};
