#pragma once

#include <cstdint>
#include <string>

#include "link/com_port_map.h"
#include "link/user_message.h"

// What PORT on the command line names: a COM name as the window lists it ("COM7"), mapped as
// the window maps it, or a device path, opened as COM1 of a map that holds only it and named as
// itself. Shows the channel's messages (either thread) on standard error.
class PortTarget : public MessageSink {
public:
    // False when `port` is neither a COM name nor a path (holds no '/').
    [[nodiscard]] bool Resolve(const std::string& port);

    const ComPortMap& Map() const { return map; }
    uint16_t Number() const { return number; }
    // "COM7", or the base name of the device path: the name backups are filed under.
    const std::string& BackupName() const { return backupName; }
    void ShowMessage(const UserMessage& message) override;

private:
    ComPortMap map;
    uint16_t number = 0;
    std::string backupName;
    std::string devicePath;  // the device as the operator named it; empty for a COM name
};
