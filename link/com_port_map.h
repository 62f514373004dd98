#pragma once

#include <cstdint>
#include <string>

// Where the COM number mapping looks. The defaults are the real system; tests pass fake trees.
struct PortRoots {
    std::string sysRoot = "/sys";
    std::string devRoot = "/dev";
    std::string linksDir = DefaultLinksDir();

    // $XDG_RUNTIME_DIR/quillbox/ports, or /tmp/quillbox-$UID/ports without it.
    static std::string DefaultLinksDir();
};

// Maps COM numbers onto Linux devices: COM1-4 /dev/ttyS0-3, COM5-14 /dev/ttyUSB0-9,
// COM15-24 /dev/ttyACM0-9; a link named COMn in the links folder that leads to a character
// device overrides the entry of its number and may name any number. Any thread.
class ComPortMap {
public:
    explicit ComPortMap(PortRoots roots = PortRoots());

    // The device path for COM number n, "" when n maps to nothing. A usable link is returned
    // as the link's path (opening it follows the link).
    std::string DevicePath(uint16_t portNumber) const;

    // True when the links folder may be trusted: it, its parent and, for the program's own
    // "quillbox" folder, the runtime folder above that are folders of this user that nobody
    // else can write. Anything else (another owner, group or world write, a link in place of
    // a folder) is reported in one line on standard error, once per folder; an absent links
    // folder is not.
    bool LinksUsable() const;

    const PortRoots& Roots() const { return roots; }

private:
    PortRoots roots;
};

// True when `path`, links followed, is a character device.
bool IsCharDevice(const std::string& path);
