#include "link/port_discovery.h"

#include <dirent.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <fstream>
#include <vector>

#include "link/com_port_name.h"

namespace {

constexpr size_t kMaxProductLength = 64;
// A USB product string sits on the USB device, at most this many folders above the tty's
// `device` (ttyUSB: port -> interface -> device; ttyACM: interface -> device).
constexpr int kProductSearchDepth = 3;

// Numbers in discovery order, each once, at most `capacity` of them.
void Add(uint16_t portNumber, size_t capacity, std::vector<uint16_t>* ports) {
    if (ports->size() < capacity &&
        std::find(ports->begin(), ports->end(), portNumber) == ports->end()) {
        ports->push_back(portNumber);
    }
}

// A folder's entry names sorted, so that the discovery order does not depend on the file
// system's. Empty only when the folder cannot be read: one that can holds "." and "..".
std::vector<std::string> ListFolder(const std::string& path) {
    std::vector<std::string> names;
    if (DIR* folder = opendir(path.c_str())) {
        for (const dirent* entry = readdir(folder); entry; entry = readdir(folder)) {
            names.emplace_back(entry->d_name);
        }
        closedir(folder);
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::string FirstLine(const std::string& path) {
    std::ifstream file(path);
    std::string line;
    std::getline(file, line);
    return line;
}

// The kernel lists ttyS0-3 even without hardware; UART type 0 means none answered.
bool UartAnswers(const std::string& ttyFolder) {
    const std::string type = FirstLine(ttyFolder + "/type");
    return !type.empty() && type != "0";
}

std::string Resolve(const std::string& path) {
    char buffer[PATH_MAX];
    return realpath(path.c_str(), buffer) != nullptr ? buffer : "";
}

// Printable and short: the text comes from the device's own descriptors. Read only from
// inside the sysfs tree.
std::string UsbProduct(const std::string& sysRoot, const std::string& deviceName) {
    const std::string sysTop = Resolve(sysRoot) + "/";
    std::string folder = Resolve(sysRoot + "/class/tty/" + deviceName + "/device");
    for (int level = 0;
         level < kProductSearchDepth && sysTop != "/" && folder.rfind(sysTop, 0) == 0; ++level) {
        std::string product;
        for (char c : FirstLine(folder + "/product")) {
            const auto byte = static_cast<unsigned char>(c);
            if (byte >= 0x20 && byte != 0x7F && product.size() < kMaxProductLength) {
                product += c;
            }
        }
        if (!product.empty()) {
            return product;
        }
        folder = folder.substr(0, folder.rfind('/'));
    }
    return {};
}

}  // namespace

int EnumComPorts(uint16_t* portNumbers, int capacity, const PortRoots& roots) {
    if (portNumbers == nullptr || capacity <= 0) {
        return 0;
    }
    const ComPortMap map(roots);
    const size_t most = static_cast<size_t>(capacity);
    std::vector<uint16_t> ports;
    const std::string sysTty = roots.sysRoot + "/class/tty";
    const std::vector<std::string> ttys = ListFolder(sysTty);
    for (const std::string& name : ttys) {
        const uint16_t n = BuiltInPortNumber(name);
        if (n != 0 && (name.rfind("ttyS", 0) != 0 || UartAnswers(sysTty + "/" + name))) {
            Add(n, most, &ports);
        }
    }
    if (ttys.empty()) {
        // Without sysfs a number exists when a character device is at its path. Never opened:
        // an open toggles DTR/RTS and can reset a device on another port.
        for (size_t n = 1; n <= most && n <= UINT16_MAX; ++n) {
            if (IsCharDevice(map.DevicePath(static_cast<uint16_t>(n)))) {
                Add(static_cast<uint16_t>(n), most, &ports);
            }
        }
    } else if (map.LinksUsable()) {
        for (const std::string& name : ListFolder(roots.linksDir)) {
            const uint16_t n = ParseComPortName(name);
            if (n != 0 && IsCharDevice(roots.linksDir + "/" + name)) {
                Add(n, most, &ports);
            }
        }
    }
    std::sort(ports.begin(), ports.end());
    std::copy(ports.begin(), ports.end(), portNumbers);
    return static_cast<int>(ports.size());
}

std::string DescribeComPort(uint16_t portNumber, const PortRoots& roots) {
    const std::string path = ComPortMap(roots).DevicePath(portNumber);
    const std::string device = Resolve(path);
    if (device.empty()) {
        return path;
    }
    const std::string product = UsbProduct(roots.sysRoot, device.substr(device.rfind('/') + 1));
    return product.empty() ? device : device + " - " + product;
}
