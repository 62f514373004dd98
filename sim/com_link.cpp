#include "sim/com_link.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "link/com_links_folder.h"

namespace {

// Sets `error` from errno, which must still be that of the failed call.
bool Failed(std::string* error, const char* what, const std::string& path) {
    const int fault = errno;
    *error = std::string(what) + " " + path + ": " + std::strerror(fault);
    return false;
}

// Each folder it creates is mode 0700 whatever the umask.
bool MakeDirectories(const std::string& dir, std::string* error) {
    for (size_t slash = dir.find('/', 1);; slash = dir.find('/', slash + 1)) {
        const std::string part = dir.substr(0, slash);
        if (mkdir(part.c_str(), 0700) == 0) {
            chmod(part.c_str(), 0700);
        } else if (errno != EEXIST) {
            return Failed(error, "cannot create folder", part);
        }
        if (slash == std::string::npos) {
            return true;
        }
    }
}

}  // namespace

bool MakeComLink(int portNumber, const std::string& dir, const std::string& target,
                 std::string* linkPath, std::string* error) {
    if (portNumber < 1 || portNumber > 30) {  // the program offers COM1 to COM30
        *error = "COM" + std::to_string(portNumber) + " is outside COM1 to COM30";
        return false;
    }
    if (!MakeDirectories(dir, error)) {
        return false;
    }
    // A link in a folder that the program does not trust would be ignored by it.
    *error = ComLinksFolderFault(dir);
    const std::string path = dir + "/COM" + std::to_string(portNumber);
    struct stat info {};
    if (error->empty() && lstat(path.c_str(), &info) == 0 && !S_ISLNK(info.st_mode)) {
        *error = path + " exists and is not a link; it is left alone";
    }
    if (!error->empty()) {
        return false;
    }
    // A new link under a private name, renamed over the old one, replaces it in one step.
    const std::string temporary = path + ".new" + std::to_string(getpid());
    unlink(temporary.c_str());
    if (symlink(target.c_str(), temporary.c_str()) != 0) {
        return Failed(error, "cannot create link", temporary);
    }
    if (rename(temporary.c_str(), path.c_str()) != 0) {
        Failed(error, "cannot create link", path);
        unlink(temporary.c_str());
        return false;
    }
    *linkPath = path;
    return true;
}

void RemoveComLinkIfOurs(const std::string& linkPath, const std::string& target) {
    char buffer[4096];
    const ssize_t length =
        linkPath.empty() ? -1 : readlink(linkPath.c_str(), buffer, sizeof buffer);
    if (length >= 0 && std::string(buffer, static_cast<size_t>(length)) == target) {
        unlink(linkPath.c_str());
    }
}
