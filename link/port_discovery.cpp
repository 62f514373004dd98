#include "link/port_discovery.h"

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <vector>

#include "link/built_in_ports.h"
#include "link/com_port_name.h"

namespace {

constexpr size_t kMaxProductLength = 64;
// A USB product string sits on the USB device, at most this many folders above the tty's
// `device` (ttyUSB: port -> interface -> device; ttyACM: interface -> device).
constexpr int kProductSearchDepth = 3;

// Numbers in discovery order, each once, at most `capacity` of them.
struct PortList {
    std::vector<uint16_t> numbers;
    size_t capacity;

    void Add(uint16_t portNumber) {
        if (numbers.size() < capacity &&
            std::find(numbers.begin(), numbers.end(), portNumber) == numbers.end()) {
            numbers.push_back(portNumber);
        }
    }
};

// The entry names of a folder sorted by name, so that the discovery order does not depend on
// the file system's order. False when the folder cannot be opened.
bool ListFolder(const std::string& path, std::vector<std::string>* names) {
    DIR* folder = opendir(path.c_str());
    if (folder == nullptr) {
        return false;
    }
    while (const dirent* entry = readdir(folder)) {
        const std::string name = entry->d_name;
        if (name != "." && name != "..") {
            names->push_back(name);
        }
    }
    closedir(folder);
    std::sort(names->begin(), names->end());
    return true;
}

// The first line of a small text file with blanks trimmed; false when it cannot be read.
bool ReadFirstLine(const std::string& path, std::string* line) {
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        return false;
    }
    char buffer[128];
    const ssize_t n = read(fd, buffer, sizeof buffer);
    close(fd);
    if (n < 0) {
        return false;
    }
    std::string text(buffer, static_cast<size_t>(n));
    text = text.substr(0, text.find('\n'));
    const size_t begin = text.find_first_not_of(" \t\r");
    const size_t end = text.find_last_not_of(" \t\r");
    *line = begin == std::string::npos ? std::string() : text.substr(begin, end - begin + 1);
    return true;
}

// The kernel lists ttyS0-3 even without hardware; type 0 means no UART answered.
bool UartPresent(const std::string& sysTty, const std::string& name) {
    std::string type;
    return ReadFirstLine(sysTty + "/" + name + "/type", &type) && !type.empty() && type != "0";
}

void AddSysfsPorts(const std::string& sysTty, const std::vector<std::string>& names,
                   PortList* ports) {
    for (const std::string& name : names) {
        const uint16_t portNumber = BuiltInPortNumber(name);
        if (portNumber != 0 && (!IsPlatformUartName(name) || UartPresent(sysTty, name))) {
            ports->Add(portNumber);
        }
    }
}

void AddLinkedPorts(const ComPortMap& map, PortList* ports) {
    std::vector<std::string> names;
    if (!map.LinksUsable() || !ListFolder(map.Roots().linksDir, &names)) {
        return;
    }
    for (const std::string& name : names) {
        const uint16_t portNumber = ParseComPortName(name);
        if (portNumber != 0 && IsCharDevice(map.Roots().linksDir + "/" + name)) {
            ports->Add(portNumber);
        }
    }
}

// Without sysfs: a number exists when a character device is at its path. Never opened: an
// open toggles DTR/RTS and can reset a device on another port.
void ProbePorts(const ComPortMap& map, PortList* ports) {
    for (size_t n = 1; n <= ports->capacity && n <= UINT16_MAX; ++n) {
        const std::string path = map.DevicePath(static_cast<uint16_t>(n));
        if (!path.empty() && IsCharDevice(path)) {
            ports->Add(static_cast<uint16_t>(n));
        }
    }
}

bool Resolve(const std::string& path, std::string* resolved) {
    char buffer[PATH_MAX];
    if (realpath(path.c_str(), buffer) == nullptr) {
        return false;
    }
    *resolved = buffer;
    return true;
}

// Keeps the text printable and short: sysfs strings come from the device's own descriptors.
std::string Printable(const std::string& text) {
    std::string clean;
    for (char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte != 0x7F && clean.size() < kMaxProductLength) {
            clean += c;
        }
    }
    return clean;
}

std::string UsbProduct(const std::string& sysRoot, const std::string& deviceName) {
    std::string sysTop;
    std::string folder;
    if (!Resolve(sysRoot, &sysTop) ||
        !Resolve(sysRoot + "/class/tty/" + deviceName + "/device", &folder)) {
        return {};
    }
    // Never read outside the sysfs tree.
    for (int level = 0; level < kProductSearchDepth && folder.rfind(sysTop + "/", 0) == 0;
         ++level) {
        std::string product;
        if (ReadFirstLine(folder + "/product", &product)) {
            return Printable(product);
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
    PortList ports{{}, static_cast<size_t>(capacity)};
    const std::string sysTty = roots.sysRoot + "/class/tty";
    std::vector<std::string> ttys;
    if (ListFolder(sysTty, &ttys)) {
        AddSysfsPorts(sysTty, ttys, &ports);
        AddLinkedPorts(map, &ports);
    } else {
        ProbePorts(map, &ports);
    }
    std::sort(ports.numbers.begin(), ports.numbers.end());
    std::copy(ports.numbers.begin(), ports.numbers.end(), portNumbers);
    return static_cast<int>(ports.numbers.size());
}

std::string DescribeComPort(uint16_t portNumber, const PortRoots& roots) {
    const std::string path = ComPortMap(roots).DevicePath(portNumber);
    std::string device;
    if (path.empty() || !Resolve(path, &device)) {
        return path;
    }
    const std::string product = UsbProduct(roots.sysRoot, device.substr(device.rfind('/') + 1));
    return product.empty() ? device : device + " - " + product;
}
