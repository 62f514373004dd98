#include "sim/com_link.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace {

constexpr int kFirstComNumber = 1;
constexpr int kLastComNumber = 30;  // the program offers COM1 to COM30

std::string Reason(const std::string& what, const std::string& path) {
    return what + " " + path + ": " + std::strerror(errno);
}

bool MakeDirectories(const std::string& dir, std::string* error) {
    for (size_t slash = dir.find('/', 1);; slash = dir.find('/', slash + 1)) {
        const std::string part = dir.substr(0, slash);
        if (!part.empty() && mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) {
            *error = Reason("cannot create folder", part);
            return false;
        }
        if (slash == std::string::npos) {
            return true;
        }
    }
}

// A folder another user owns, or a link in place of the folder, could redirect the program
// to a device the operator did not choose.
bool IsOwnDirectory(const std::string& dir, std::string* error) {
    struct stat info {};
    if (lstat(dir.c_str(), &info) != 0) {
        *error = Reason("cannot inspect", dir);
        return false;
    }
    if (!S_ISDIR(info.st_mode) || info.st_uid != geteuid()) {
        *error = dir + " is not a folder owned by this user";
        return false;
    }
    return true;
}

bool IsLinkOrAbsent(const std::string& path, std::string* error) {
    struct stat info {};
    if (lstat(path.c_str(), &info) != 0) {
        if (errno == ENOENT) {
            return true;
        }
        *error = Reason("cannot inspect", path);
        return false;
    }
    if (!S_ISLNK(info.st_mode)) {
        *error = path + " exists and is not a link; it is left alone";
        return false;
    }
    return true;
}

}  // namespace

std::string DefaultComLinksDir(const char* xdgRuntimeDir, unsigned uid) {
    if (xdgRuntimeDir != nullptr && *xdgRuntimeDir != '\0') {
        return std::string(xdgRuntimeDir) + "/quillbox/ports";
    }
    return "/tmp/quillbox-" + std::to_string(uid) + "/ports";
}

bool MakeComLink(int portNumber, const std::string& dir, const std::string& target,
                 std::string* linkPath, std::string* error) {
    if (portNumber < kFirstComNumber || portNumber > kLastComNumber) {
        *error = "COM" + std::to_string(portNumber) + " is outside COM1 to COM30";
        return false;
    }
    if (dir.empty()) {
        *error = "no folder for the COM link";
        return false;
    }
    if (!MakeDirectories(dir, error) || !IsOwnDirectory(dir, error)) {
        return false;
    }
    const std::string path = dir + "/COM" + std::to_string(portNumber);
    if (!IsLinkOrAbsent(path, error)) {
        return false;
    }
    // A new link under a private name, renamed over the old one, replaces it in one step.
    const std::string temporary = path + ".new" + std::to_string(getpid());
    unlink(temporary.c_str());
    if (symlink(target.c_str(), temporary.c_str()) != 0) {
        *error = Reason("cannot create link", temporary);
        return false;
    }
    if (rename(temporary.c_str(), path.c_str()) != 0) {
        *error = Reason("cannot create link", path);
        unlink(temporary.c_str());
        return false;
    }
    *linkPath = path;
    return true;
}

void RemoveComLinkIfOurs(const std::string& linkPath, const std::string& target) {
    if (linkPath.empty()) {
        return;
    }
    char buffer[4096];
    const ssize_t length = readlink(linkPath.c_str(), buffer, sizeof buffer);
    if (length >= 0 && std::string(buffer, static_cast<size_t>(length)) == target) {
        unlink(linkPath.c_str());
    }
}
