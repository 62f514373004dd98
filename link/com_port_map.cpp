#include "link/com_port_map.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <utility>

#include "link/built_in_ports.h"
#include "link/com_port_name.h"

std::string PortRoots::DefaultLinksDir() {
    const char* runtimeDir = std::getenv("XDG_RUNTIME_DIR");
    if (runtimeDir != nullptr && runtimeDir[0] != '\0') {
        return std::string(runtimeDir) + "/quillbox/ports";
    }
    return "/tmp/quillbox-" + std::to_string(getuid()) + "/ports";
}

ComPortMap::ComPortMap(PortRoots roots) : roots(std::move(roots)) {}

std::string ComPortMap::DevicePath(uint16_t portNumber) const {
    if (portNumber == 0) {
        return {};
    }
    // Any entry under the name overrides the built-in device, even one that dangles: the
    // operator meant this number for that link, and opening it will say why it fails.
    const std::string link = roots.linksDir + "/" + ComPortName(portNumber);
    struct stat info {};
    if (lstat(link.c_str(), &info) == 0) {
        return link;
    }
    const std::string device = BuiltInDeviceName(portNumber);
    return device.empty() ? std::string() : roots.devRoot + "/" + device;
}
