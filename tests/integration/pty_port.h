#pragma once

#include <string>

#include "tests/unit/link/temp_tree.h"

// A bare pseudo-terminal pair standing in for a device: the test plays the device on the
// master side, and the slave is linked as COM<n> in the tree's links folder. The test keeps
// its own slave descriptor (so the line survives the channel's closes) to inspect settings.
class PtyPort {
public:
    PtyPort(const TempTree& tree, int portNumber);
    ~PtyPort();
    PtyPort(const PtyPort&) = delete;
    PtyPort& operator=(const PtyPort&) = delete;

    int Master() const { return master; }
    int Slave() const { return slave; }
    const std::string& SlavePath() const { return slavePath; }

    // Writes all of `bytes` to the master (the device sends).
    void Send(const std::string& bytes) const;
    // Reads from the master until `count` bytes came or `timeoutMs` passed.
    std::string Receive(size_t count, int timeoutMs) const;
    // Bytes the device sent that the program has not read yet.
    int Unread() const;
    // Closes both test-side descriptors, as an unplugged adapter would vanish.
    void Unplug();

private:
    int master = -1;
    int slave = -1;
    std::string slavePath;
};
