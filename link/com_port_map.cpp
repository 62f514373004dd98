#include "link/com_port_map.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <set>
#include <utility>

#include "link/com_links_folder.h"
#include "link/com_port_name.h"

namespace {

// Blocks of consecutive COM numbers mapped onto numbered devices of one kind.
struct BuiltInRange {
    uint16_t firstPort;
    int count;
    const char* stem;
};
constexpr BuiltInRange kBuiltIn[] = {{1, 4, "ttyS"}, {5, 10, "ttyUSB"}, {15, 10, "ttyACM"}};

}  // namespace

std::string PortRoots::DefaultLinksDir() {
    return DefaultComLinksDir(std::getenv("XDG_RUNTIME_DIR"), getuid());
}

uint16_t BuiltInPortNumber(const std::string& deviceName) {
    for (const BuiltInRange& range : kBuiltIn) {
        const std::string stem = range.stem;
        for (int index = 0; index < range.count; ++index) {
            if (deviceName == stem + std::to_string(index)) {
                return static_cast<uint16_t>(range.firstPort + index);
            }
        }
    }
    return 0;
}

bool IsCharDevice(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0 && S_ISCHR(info.st_mode);
}

ComPortMap::ComPortMap(PortRoots roots) : roots(std::move(roots)) {}

bool ComPortMap::LinksUsable() const {
    struct stat info {};
    if (lstat(roots.linksDir.c_str(), &info) != 0 && errno == ENOENT) {
        return false;
    }
    const std::string fault = ComLinksFolderFault(roots.linksDir);
    if (fault.empty()) {
        return true;
    }
    static std::mutex warnedMutex;
    static std::set<std::string> warned;
    std::lock_guard<std::mutex> lock(warnedMutex);
    if (warned.insert(roots.linksDir).second) {
        std::fprintf(stderr, "quillbox: the COM links in %s are ignored: %s\n",
                     roots.linksDir.c_str(), fault.c_str());
    }
    return false;
}

std::string ComPortMap::DevicePath(uint16_t portNumber) const {
    if (!roots.onlyDevice.empty()) {
        return portNumber != 0 ? roots.onlyDevice : std::string();
    }
    const std::string link = roots.linksDir + "/" + ComPortName(portNumber);
    if (portNumber != 0 && IsCharDevice(link) && LinksUsable()) {
        return link;
    }
    for (const BuiltInRange& range : kBuiltIn) {
        const int index = static_cast<int>(portNumber) - range.firstPort;
        if (index >= 0 && index < range.count) {
            return roots.devRoot + "/" + range.stem + std::to_string(index);
        }
    }
    return {};
}
