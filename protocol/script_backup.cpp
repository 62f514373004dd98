#include "protocol/script_backup.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <regex>
#include <tuple>

#include "protocol/script_file.h"

namespace {

constexpr size_t kKeptBackups = 200;
// Names of one second tried before giving up: far more backups than a second can hold.
constexpr int kMaxSameSecond = 1000;
// Port names are short; a longer one is cut so that the file's name stays a valid name.
constexpr size_t kMaxStem = 64;

// An open descriptor, closed when it goes out of scope.
class Descriptor {
public:
    explicit Descriptor(int fd) : fd(fd) {}
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    ~Descriptor() {
        if (fd >= 0) {
            close(fd);
        }
    }
    int Get() const { return fd; }
    // Closes now, so that a failing close is seen; false with errno set.
    bool Close() {
        const int closing = fd;
        fd = -1;
        return close(closing) == 0;
    }

private:
    int fd;
};

std::string Reason(const std::string& path) {
    return path + ": " + std::strerror(errno);
}

// The port name as a plain file name: no folder separator, no leading dot, no control byte.
std::string BackupStem(const std::string& portName) {
    std::string stem = portName.substr(0, kMaxStem);
    for (char& c : stem) {
        const unsigned char byte = static_cast<unsigned char>(c);
        c = c == '/' || byte < 0x20 || byte == 0x7F ? '_' : c;
    }
    if (stem.empty() || stem[0] == '.') {
        stem.insert(0, "_");
    }
    return stem;
}

bool FolderPath(std::string& folder, std::string& why) {
    const char* xdg = std::getenv("XDG_DATA_HOME");
    const char* home = std::getenv("HOME");
    if (xdg != nullptr && xdg[0] == '/') {
        folder = xdg;
    } else if (home != nullptr && home[0] == '/') {
        folder = std::string(home) + "/.local/share";
    } else {
        why = "HOME is not set to a folder";
        return false;
    }
    folder += "/quillbox/backups";
    return true;
}

// Flushes the entries of the folder at `path` to the disk; false with errno set.
bool SyncFolder(const std::string& path) {
    const int fd = open(path.empty() ? "/" : path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    const bool synced = fd >= 0 && fsync(fd) == 0;
    if (fd >= 0) {
        close(fd);
    }
    return synced;
}

// Makes the missing folders of `folder`, each private as the data folders should be, and on
// the disk with the first backup in them.
bool MakeFolders(const std::string& folder, std::string& why) {
    size_t end = 0;
    do {
        end = folder.find('/', end + 1);
        const std::string prefix = folder.substr(0, end);
        struct stat status;
        if (stat(prefix.c_str(), &status) == 0) {
            continue;
        }
        // 0700 also under a umask that would take the owner's own rights away.
        if (errno != ENOENT || (mkdir(prefix.c_str(), 0700) != 0 && errno != EEXIST) ||
            chmod(prefix.c_str(), 0700) != 0 || !SyncFolder(prefix.substr(0, prefix.rfind('/')))) {
            why = Reason(prefix);
            return false;
        }
    } while (end != std::string::npos);
    return true;
}

// The backup folder opened for the *at() calls, made ours alone; -1 with `why`.
int OpenFolder(const std::string& folder, std::string& why) {
    if (!MakeFolders(folder, why)) {
        return -1;
    }
    const int dir = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    struct stat status;
    if (dir < 0 || fstat(dir, &status) != 0) {
        why = Reason(folder);
    } else if (status.st_uid != geteuid()) {
        why = folder + ": belongs to another user";
    } else if ((status.st_mode & 077) != 0 && fchmod(dir, status.st_mode & 0700) != 0) {
        // mkdir() honoured the umask, and an older folder may have been open to others.
        why = Reason(folder);
    } else {
        return dir;
    }
    if (dir >= 0) {
        close(dir);
    }
    return -1;
}

// A new file under the first name of the second that nothing in the folder holds, file or
// link; -1 with errno set.
int CreateFree(int dir, const std::string& stem, std::string& name) {
    for (int n = 1; n <= kMaxSameSecond; ++n) {
        name = stem + (n == 1 ? "" : "-" + std::to_string(n)) + ".txt";
        const int fd =
            openat(dir, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd >= 0 || errno != EEXIST) {
            return fd;
        }
    }
    errno = EEXIST;
    return -1;
}

bool WriteAll(int fd, const std::string& text) {
    for (size_t done = 0; done < text.size();) {
        const ssize_t n = write(fd, text.data() + done, text.size() - done);
        if (n > 0) {
            done += static_cast<size_t>(n);
        } else if (n == 0 || errno != EINTR) {
            // A write that takes nothing would take nothing again.
            errno = n == 0 ? EIO : errno;
            return false;
        }
    }
    return true;
}

// The file's content, its mode whatever the umask, on the disk before anything is erased.
bool WriteBackup(int dir, const std::string& text, int fd) {
    Descriptor file(fd);
    return fchmod(file.Get(), 0600) == 0 && WriteAll(file.Get(), text) && fsync(file.Get()) == 0 &&
           file.Close() && fsync(dir) == 0;
}

// Backups sort by the time in their names, then by the number of the second: the time they
// were taken, which an edit of a kept backup does not change.
using BackupKey = std::tuple<std::string, unsigned long, std::string>;

void PruneOldest(int dir, const std::string& saved) {
    static const std::regex kBackupName("^.+-([0-9]{8}-[0-9]{6})(-([0-9]+))?\\.txt$");
    // closedir() closes the descriptor that the listing reads, so it reads a copy.
    const int copy = fcntl(dir, F_DUPFD_CLOEXEC, 0);
    DIR* listing = copy >= 0 ? fdopendir(copy) : nullptr;
    if (listing == nullptr) {
        if (copy >= 0) {
            close(copy);
        }
        return;
    }
    std::vector<BackupKey> backups;
    std::smatch match;
    while (const dirent* entry = readdir(listing)) {
        const std::string name = entry->d_name;
        struct stat status;
        if (name != saved && std::regex_match(name, match, kBackupName) &&
            fstatat(dir, entry->d_name, &status, AT_SYMLINK_NOFOLLOW) == 0 &&
            S_ISREG(status.st_mode)) {
            const unsigned long n =
                match[3].matched ? std::strtoul(match[3].str().c_str(), nullptr, 10) : 1;
            backups.emplace_back(match[1].str(), n, name);
        }
    }
    closedir(listing);
    std::sort(backups.begin(), backups.end());
    // The backup just saved is one of the kept.
    for (size_t i = 0; i + kKeptBackups <= backups.size(); ++i) {
        unlinkat(dir, std::get<2>(backups[i]).c_str(), 0);
    }
}

}  // namespace

bool SaveScriptBackup(const std::string& portName, const std::vector<std::string>& lines,
                      std::string& savedPath, std::string& why) {
    return SaveScriptBackup(portName, lines, savedPath, why, std::time(nullptr));
}

bool SaveScriptBackup(const std::string& portName, const std::vector<std::string>& lines,
                      std::string& savedPath, std::string& why, std::time_t now) {
    std::string folder;
    if (!FolderPath(folder, why)) {
        return false;
    }
    const Descriptor dir(OpenFolder(folder, why));
    if (dir.Get() < 0) {
        return false;
    }
    std::tm local{};
    char stamp[32];
    if (localtime_r(&now, &local) == nullptr ||
        std::strftime(stamp, sizeof stamp, "-%Y%m%d-%H%M%S", &local) == 0) {
        why = "the clock gives no date";
        return false;
    }
    std::string text;
    for (const std::string& line : lines) {
        text += (NamesSetting(line) ? "" : "# ") + line + "\n";
    }
    std::string name;
    const int fd = CreateFree(dir.Get(), BackupStem(portName) + stamp, name);
    if (fd < 0) {
        why = Reason(folder + "/" + name);
        return false;
    }
    if (!WriteBackup(dir.Get(), text, fd)) {
        why = Reason(folder + "/" + name);
        unlinkat(dir.Get(), name.c_str(), 0);
        return false;
    }
    savedPath = folder + "/" + name;
    PruneOldest(dir.Get(), name);
    return true;
}
