#pragma once

#include <cstdint>
#include <string>

// Where the COM number mapping looks. The defaults are the real system; tests pass fake trees.
struct PortRoots {
    std::string sysRoot = "/sys";
    std::string devRoot = "/dev";
    std::string linksDir = DefaultLinksDir();
    std::string onlyDevice;  // when set, every COM number maps to this device and nothing else

    // $XDG_RUNTIME_DIR/quillbox/ports, or /tmp/quillbox-$UID/ports without it.
    static std::string DefaultLinksDir();
};

// Maps COM numbers onto Linux devices: COM1-4 /dev/ttyS0-3, COM5-14 /dev/ttyUSB0-9,
// COM15-24 /dev/ttyACM0-9. A link named COMn in a usable links folder that leads to a
// character device overrides the entry of its number and may name any number; one that
// dangles claims nothing. Any thread.
class ComPortMap {
public:
    explicit ComPortMap(PortRoots roots = PortRoots());

    // The device path for COM number n (a link's own path), "" when n maps to nothing.
    std::string DevicePath(uint16_t portNumber) const;
    // True when the links folder exists and ComLinksFolderFault finds nothing wrong; else
    // (an absent folder aside) one line on standard error, once per folder.
    bool LinksUsable() const;
    const PortRoots& Roots() const { return roots; }

private:
    PortRoots roots;
};

// The built-in COM number of a device name: 5 for "ttyUSB0"; 0 outside the table.
[[nodiscard]] uint16_t BuiltInPortNumber(const std::string& deviceName);
// True when `path`, links followed, is a character device.
[[nodiscard]] bool IsCharDevice(const std::string& path);
