#include "link/com_port_map.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <set>
#include <utility>

#include "link/com_port_name.h"

namespace {

// Blocks of consecutive COM numbers mapped onto numbered devices of one kind.
struct BuiltInRange {
    uint16_t firstPort;
    int count;
    const char* stem;
};
constexpr BuiltInRange kBuiltIn[] = {{1, 4, "ttyS"}, {5, 10, "ttyUSB"}, {15, 10, "ttyACM"}};

constexpr const char* kAppFolder = "quillbox";

// The folder above `path` ("/" for a top folder, "" for a relative name); trailing slashes
// are not names.
std::string Parent(const std::string& path) {
    const size_t slash = path.find_last_of('/', path.find_last_not_of('/'));
    return slash == std::string::npos ? "" : path.substr(0, slash == 0 ? 1 : slash);
}

// "" when `folder` is a folder of this user that nobody else can write, else why not.
std::string PrivateFolderFault(const std::string& folder) {
    struct stat info {};
    if (lstat(folder.c_str(), &info) != 0) {
        const int error = errno;
        return "cannot be inspected (error " + std::to_string(error) + ")";
    }
    if (!S_ISDIR(info.st_mode) || info.st_uid != geteuid()) {
        return "is not a folder of this user";
    }
    return (info.st_mode & (S_IWGRP | S_IWOTH)) != 0 ? "can be written by others" : "";
}

}  // namespace

std::string PortRoots::DefaultLinksDir() {
    const char* runtimeDir = std::getenv("XDG_RUNTIME_DIR");
    if (runtimeDir != nullptr && runtimeDir[0] != '\0') {
        return std::string(runtimeDir) + "/" + kAppFolder + "/ports";
    }
    return "/tmp/quillbox-" + std::to_string(getuid()) + "/ports";
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
    const std::string parent = Parent(roots.linksDir);
    const bool appFolder = parent.substr(parent.rfind('/') + 1) == kAppFolder;
    static std::mutex warnedMutex;
    static std::set<std::string> warned;
    for (const std::string& folder : {roots.linksDir, parent, appFolder ? Parent(parent) : ""}) {
        const std::string fault = folder.empty() ? "" : PrivateFolderFault(folder);
        if (fault.empty()) {
            continue;
        }
        std::lock_guard<std::mutex> lock(warnedMutex);
        if (warned.insert(roots.linksDir).second) {
            std::fprintf(stderr, "quillbox: the COM links in %s are ignored: %s %s\n",
                         roots.linksDir.c_str(), folder.c_str(), fault.c_str());
        }
        return false;
    }
    return true;
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
