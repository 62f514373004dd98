#include "protocol/script_backup.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

namespace {

constexpr size_t kKeptBackups = 200;

std::string DataHome() {
    const char* xdg = std::getenv("XDG_DATA_HOME");
    if (xdg != nullptr && xdg[0] == '/') {
        return xdg;
    }
    const char* home = std::getenv("HOME");
    return std::string(home != nullptr ? home : "") + "/.local/share";
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

// A name that no earlier backup of this second has taken.
std::string FreeName(const std::string& folder, const std::string& stem) {
    std::string path = folder + "/" + stem + ".txt";
    for (int n = 2; access(path.c_str(), F_OK) == 0; ++n) {
        path = folder + "/" + stem + "-" + std::to_string(n) + ".txt";
    }
    return path;
}

bool WriteLines(const std::string& path, const std::vector<std::string>& lines, std::string& why) {
    FILE* file = std::fopen(path.c_str(), "wx");
    bool ok = file != nullptr;
    for (size_t i = 0; ok && i < lines.size(); ++i) {
        ok = std::fputs(lines[i].c_str(), file) >= 0 && std::fputc('\n', file) != EOF;
    }
    const int error = errno;
    if (file != nullptr && std::fclose(file) != 0) {
        ok = false;
    }
    if (!ok) {
        why = path + ": " + std::strerror(error != 0 ? error : EIO);
        std::remove(path.c_str());
    }
    return ok;
}

// Oldest first by modification time, then by name.
void PruneOldest(const std::string& folder) {
    DIR* dir = opendir(folder.c_str());
    if (dir == nullptr) {
        return;
    }
    std::vector<std::pair<long long, std::string>> files;
    while (dirent* entry = readdir(dir)) {
        struct stat info {};
        const std::string path = folder + "/" + entry->d_name;
        if (entry->d_name[0] != '.' && stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode)) {
            files.emplace_back(static_cast<long long>(info.st_mtime), path);
        }
    }
    closedir(dir);
    if (files.size() <= kKeptBackups) {
        return;
    }
    std::sort(files.begin(), files.end());
    for (size_t i = 0; i + kKeptBackups < files.size(); ++i) {
        unlink(files[i].second.c_str());
    }
}

}  // namespace

bool SaveScriptBackup(const std::string& portName, const std::vector<std::string>& lines,
                      std::string& savedPath, std::string& why) {
    const std::string folder = DataHome() + "/quillbox/backups";
    if (!MakeFolders(folder, why)) {
        return false;
    }
    const std::string path = FreeName(folder, portName + "-" + TimeStamp());
    if (!WriteLines(path, lines, why)) {
        return false;
    }
    savedPath = path;
    PruneOldest(folder);
    return true;
}
