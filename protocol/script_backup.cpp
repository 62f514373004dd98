#include "protocol/script_backup.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <tuple>

#include "protocol/script_file.h"

namespace {

constexpr size_t kKeptBackups = 200;
constexpr const char* kSuffix = ".txt";
// Listed lines that name no setting (an echoed "!VS", noise) are kept behind this, so that
// the backup stays a script file that restores the unit.
constexpr const char* kCommentPrefix = "# ";

bool DataHome(std::string& folder, std::string& why) {
    const char* xdg = std::getenv("XDG_DATA_HOME");
    if (xdg != nullptr && xdg[0] == '/') {
        folder = xdg;
        return true;
    }
    const char* home = std::getenv("HOME");
    if (home == nullptr || home[0] != '/') {
        why = "HOME is not set to a folder";
        return false;
    }
    folder = std::string(home) + "/.local/share";
    return true;
}

// mkdir -p, private to the user for the folders it makes.
bool MakeFolders(const std::string& path, std::string& why) {
    for (size_t slash = 1; slash != std::string::npos;) {
        slash = path.find('/', slash + 1);
        const std::string part = path.substr(0, slash);
        if (mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) {
            const int error = errno;
            why = part + ": " + std::strerror(error);
            return false;
        }
    }
    return true;
}

std::string TimeStamp() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char text[32];
    std::strftime(text, sizeof text, "%Y%m%d-%H%M%S", &local);
    return text;
}

// Creates a file under a name that no earlier backup of this second has taken; -1 with errno
// set when none can be created.
int CreateFree(const std::string& folder, const std::string& stem, std::string& path) {
    for (int n = 1;; ++n) {
        path = folder + "/" + stem + (n == 1 ? "" : "-" + std::to_string(n)) + kSuffix;
        const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (fd >= 0 || errno != EEXIST) {
            return fd;
        }
    }
}

std::string FileText(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) {
        text += (NamesSetting(line) ? "" : kCommentPrefix) + line + "\n";
    }
    return text;
}

// Written and flushed to the disk before the caller erases anything.
bool WriteAll(int fd, const std::string& text) {
    for (size_t done = 0; done < text.size();) {
        const ssize_t n = write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno != EINTR) {
            return false;
        }
        done += n > 0 ? static_cast<size_t>(n) : 0;
    }
    return fsync(fd) == 0;
}

bool IsBackupName(const std::string& name) {
    const size_t suffix = std::strlen(kSuffix);
    return name[0] != '.' && name.size() > suffix &&
           name.compare(name.size() - suffix, suffix, kSuffix) == 0;
}

// Oldest first by modification time, then by name; the backup just saved always stays.
void PruneOldest(const std::string& folder, const std::string& saved) {
    DIR* dir = opendir(folder.c_str());
    if (dir == nullptr) {
        return;
    }
    std::vector<std::tuple<long long, long long, std::string>> files;
    while (dirent* entry = readdir(dir)) {
        struct stat info {};
        const std::string path = folder + "/" + entry->d_name;
        if (IsBackupName(entry->d_name) && path != saved && stat(path.c_str(), &info) == 0 &&
            S_ISREG(info.st_mode)) {
            files.emplace_back(static_cast<long long>(info.st_mtim.tv_sec),
                               static_cast<long long>(info.st_mtim.tv_nsec), path);
        }
    }
    closedir(dir);
    if (files.size() < kKeptBackups) {
        return;
    }
    std::sort(files.begin(), files.end());
    for (size_t i = 0; i + kKeptBackups <= files.size(); ++i) {
        unlink(std::get<2>(files[i]).c_str());
    }
}

}  // namespace

bool SaveScriptBackup(const std::string& portName, const std::vector<std::string>& lines,
                      std::string& savedPath, std::string& why) {
    std::string folder;
    if (!DataHome(folder, why)) {
        return false;
    }
    folder += "/quillbox/backups";
    if (!MakeFolders(folder, why)) {
        return false;
    }
    std::string path;
    const int fd = CreateFree(folder, portName + "-" + TimeStamp(), path);
    if (fd < 0) {
        why = path + ": " + std::strerror(errno);
        return false;
    }
    const bool written = WriteAll(fd, FileText(lines));
    const int error = errno;
    if (close(fd) != 0 || !written) {
        why = path + ": " + std::strerror(written ? errno : error);
        unlink(path.c_str());
        return false;
    }
    savedPath = path;
    PruneOldest(folder, path);
    return true;
}
