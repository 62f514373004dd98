#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "link/com_port_map.h"

// What PORT on the command line names: a COM name as the window lists it ("COM7"), mapped as
// the window maps it, or a device path, reached through a private link named COM1 that lives
// only while the port is being opened.
class PortTarget {
public:
    // False when `port` is neither a COM name nor a path (holds no '/').
    [[nodiscard]] bool Resolve(const std::string& port);
    ~PortTarget();

    const ComPortMap& Map() const { return *map; }
    uint16_t Number() const { return number; }
    // "COM7", or the base name of the device path: the name backups are filed under.
    const std::string& BackupName() const { return backupName; }
    // Shows the operator the path they gave instead of the private link in messages.
    std::string AsGiven(std::string text) const;
    // Removes the private link (the open port stays open).
    void DropLink();

private:
    std::string LinkPath() const;

    std::unique_ptr<ComPortMap> map;
    uint16_t number = 0;
    std::string backupName;
    std::string devicePath;
    std::string linkFolder;
};
