#include "link/com_port_map.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <set>
#include <utility>

#include "link/built_in_ports.h"
#include "link/com_port_name.h"

namespace {

constexpr const char* kAppFolder = "quillbox";

std::string Parent(std::string path) {
    while (path.size() > 1 && path.back() == '/') {
        path.pop_back();
    }
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos) {
        return {};
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string BaseName(const std::string& path) {
    return path.substr(path.rfind('/') + 1);
}

// "" when `folder` is a folder of this user that nobody else can write, else why not.
std::string PrivateFolderFault(const std::string& folder) {
    struct stat info {};
    if (lstat(folder.c_str(), &info) != 0) {
        const int error = errno;
        return "cannot be inspected (error " + std::to_string(error) + ")";
    }
    if (!S_ISDIR(info.st_mode)) {
        return "is not a folder";
    }
    if (info.st_uid != geteuid()) {
        return "belongs to another user";
    }
    return (info.st_mode & (S_IWGRP | S_IWOTH)) != 0 ? "is writable by others" : "";
}

void WarnOnce(const std::string& linksDir, const std::string& folder, const std::string& fault) {
    static std::mutex mutex;
    static std::set<std::string> warned;
    std::lock_guard<std::mutex> lock(mutex);
    if (warned.insert(linksDir).second) {
        std::fprintf(stderr, "quillbox: COM links in %s ignored: %s %s\n", linksDir.c_str(),
                     folder.c_str(), fault.c_str());
    }
}

}  // namespace

std::string PortRoots::DefaultLinksDir() {
    const char* runtimeDir = std::getenv("XDG_RUNTIME_DIR");
    if (runtimeDir != nullptr && runtimeDir[0] != '\0') {
        return std::string(runtimeDir) + "/" + kAppFolder + "/ports";
    }
    return "/tmp/quillbox-" + std::to_string(getuid()) + "/ports";
}

bool IsCharDevice(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0 && S_ISCHR(info.st_mode);
}

ComPortMap::ComPortMap(PortRoots roots) : roots(std::move(roots)) {}

bool ComPortMap::LinksUsable() const {
    struct stat info {};
    if (roots.linksDir.empty() || (lstat(roots.linksDir.c_str(), &info) != 0 && errno == ENOENT)) {
        return false;
    }
    const std::string parent = Parent(roots.linksDir);
    std::string folders[] = {roots.linksDir, parent,
                             BaseName(parent) == kAppFolder ? Parent(parent) : std::string()};
    for (const std::string& folder : folders) {
        const std::string fault = folder.empty() ? "" : PrivateFolderFault(folder);
        if (!fault.empty()) {
            WarnOnce(roots.linksDir, folder, fault);
            return false;
        }
    }
    return true;
}

std::string ComPortMap::DevicePath(uint16_t portNumber) const {
    if (portNumber == 0) {
        return {};
    }
    // A link that dangles or leads to no device neither claims its number nor hides the
    // built-in device: a simulator that died must not make an adapter unreachable.
    const std::string link = roots.linksDir + "/" + ComPortName(portNumber);
    if (IsCharDevice(link) && LinksUsable()) {
        return link;
    }
    const std::string device = BuiltInDeviceName(portNumber);
    return device.empty() ? std::string() : roots.devRoot + "/" + device;
}
