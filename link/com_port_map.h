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

// Maps COM numbers 1..30 onto Linux devices: COM1-4 /dev/ttyS0-3, COM5-14 /dev/ttyUSB0-9,
// COM15-24 /dev/ttyACM0-9; a link named COMn in the links folder overrides any entry and may
// name any number.
class ComPortMap {
public:
    explicit ComPortMap(PortRoots roots = PortRoots());

    // The device path for COM number n, "" when n maps to nothing. A per-user link is
    // returned as the link's path (opening it follows the link).
    std::string DevicePath(uint16_t portNumber) const;

    const PortRoots& Roots() const { return roots; }

private:
    PortRoots roots;
};
