#include "sim/com_link.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "link/com_links_folder.h"

namespace {

constexpr int kFirstComNumber = 1;
constexpr int kLastComNumber = 30;  // the program offers COM1 to COM30

// `error` is the errno of the failed call, taken before anything else could change it.
std::string Reason(const std::string& what, const std::string& path, int error) {
    return what + " " + path + ": " + std::strerror(error);
}

// Each folder it creates is mode 0700 whatever the umask.
bool MakeDirectories(const std::string& dir, std::string* error) {
    for (size_t slash = dir.find('/', 1);; slash = dir.find('/', slash + 1)) {
        const std::string part = dir.substr(0, slash);
        const int made = mkdir(part.c_str(), 0700);
        const int fault = made == 0 ? 0 : errno;
        if (made == 0) {
            chmod(part.c_str(), 0700);
        } else if (fault != EEXIST) {
            *error = Reason("cannot create folder", part, fault);
            return false;
        }
        if (slash == std::string::npos) {
            return true;
        }
    }
}

bool IsLinkOrAbsent(const std::string& path, std::string* error) {
    struct stat info {};
    if (lstat(path.c_str(), &info) != 0) {
        const int fault = errno;
        if (fault == ENOENT) {
            return true;
        }
        *error = Reason("cannot inspect", path, fault);
        return false;
    }
    if (!S_ISLNK(info.st_mode)) {
        *error = path + " exists and is not a link; it is left alone";
        return false;
    }
    return true;
}

}  // namespace

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
    if (!MakeDirectories(dir, error)) {
        return false;
    }
    // A link in a folder that the program does not trust would be ignored by it.
    *error = ComLinksFolderFault(dir);
    if (!error->empty()) {
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
        const int fault = errno;
        *error = Reason("cannot create link", temporary, fault);
        return false;
    }
    if (rename(temporary.c_str(), path.c_str()) != 0) {
        const int fault = errno;
        *error = Reason("cannot create link", path, fault);
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
