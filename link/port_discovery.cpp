#include "link/port_discovery.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
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

// Numbers in discovery order, at most `capacity`, each at most once.
class PortList {
public:
    PortList(uint16_t* numbers, int capacity) : numbers(numbers), capacity(capacity) {}

    void Add(uint16_t portNumber) {
        if (Full() || std::find(numbers, numbers + count, portNumber) != numbers + count) {
            return;
        }
        numbers[count++] = portNumber;
    }
    bool Full() const { return count >= capacity; }
    int Count() const { return count; }

private:
    uint16_t* numbers;
    int capacity;
    int count = 0;
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
    const size_t end = text.find_last_not_of(" \t\r");
    const size_t begin = text.find_first_not_of(" \t\r");
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

void AddLinkedPorts(const std::string& linksDir, PortList* ports) {
    std::vector<std::string> names;
    if (!ListFolder(linksDir, &names)) {
        return;
    }
    for (const std::string& name : names) {
        const uint16_t portNumber = ParseComPortName(name);
        struct stat target {};
        // stat follows the link: a dangling one fails and is not offered.
        if (portNumber != 0 && stat((linksDir + "/" + name).c_str(), &target) == 0) {
            ports->Add(portNumber);
        }
    }
}

// Without sysfs: a number exists when its device (or link) opens.
void ProbePorts(const PortRoots& roots, int capacity, PortList* ports) {
    const ComPortMap map(roots);
    for (int n = 1; n <= capacity && n <= UINT16_MAX; ++n) {
        const std::string path = map.DevicePath(static_cast<uint16_t>(n));
        if (path.empty()) {
            continue;
        }
        const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
        if (fd >= 0) {
            close(fd);
            ports->Add(static_cast<uint16_t>(n));
        }
    }
}

// Ascending; for each position the first smallest entry at or after it is swapped there.
void SelectionSort(uint16_t* numbers, int count) {
    for (int i = 0; i + 1 < count; ++i) {
        int smallest = i;
        for (int j = i + 1; j < count; ++j) {
            if (numbers[j] < numbers[smallest]) {
                smallest = j;
            }
        }
        std::swap(numbers[i], numbers[smallest]);
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

std::string CanonicalPath(const std::string& path) {
    std::string resolved;
    return Resolve(path, &resolved) ? resolved : path;
}

// Keeps the text printable: sysfs strings come from the device's own descriptors.
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
    if (deviceName.empty()) {
        return {};
    }
    const std::string sysTop = CanonicalPath(sysRoot) + "/";
    std::string folder;
    if (!Resolve(sysRoot + "/class/tty/" + deviceName + "/device", &folder)) {
        return {};
    }
    for (int level = 0; level < kProductSearchDepth; ++level) {
        if (folder.compare(0, sysTop.size(), sysTop) != 0) {
            break;  // never read outside the sysfs tree
        }
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
    PortList ports(portNumbers, capacity);
    const std::string sysTty = roots.sysRoot + "/class/tty";
    std::vector<std::string> ttys;
    if (ListFolder(sysTty, &ttys)) {
        AddSysfsPorts(sysTty, ttys, &ports);
        AddLinkedPorts(roots.linksDir, &ports);
    } else {
        ProbePorts(roots, capacity, &ports);
    }
    SelectionSort(portNumbers, ports.Count());
    return ports.Count();
}

std::string DescribeComPort(uint16_t portNumber, const PortRoots& roots) {
    const std::string path = ComPortMap(roots).DevicePath(portNumber);
    if (path.empty()) {
        return {};
    }
    const std::string device = CanonicalPath(path);
    const std::string product = UsbProduct(roots.sysRoot, device.substr(device.rfind('/') + 1));
    return product.empty() ? device : device + " - " + product;
}
