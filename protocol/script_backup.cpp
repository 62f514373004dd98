#include "protocol/script_backup.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>

#include "protocol/script_file.h"

namespace fs = std::filesystem;

namespace {

constexpr size_t kKeptBackups = 200;

bool MakeFolder(std::string& folder, std::string& why) {
    const char* xdg = std::getenv("XDG_DATA_HOME");
    const char* home = std::getenv("HOME");
    if ((xdg == nullptr || xdg[0] != '/') && (home == nullptr || home[0] != '/')) {
        why = "HOME is not set to a folder";
        return false;
    }
    folder = xdg != nullptr && xdg[0] == '/' ? xdg : std::string(home) + "/.local/share";
    folder += "/quillbox/backups";
    std::error_code error;
    fs::create_directories(folder, error);
    why = error ? folder + ": " + error.message() : "";
    return !error;
}

// A new file under a name that no backup of the same second has taken; null with errno set.
std::FILE* CreateFree(const std::string& stem, std::string& path) {
    for (int n = 1;; ++n) {
        path = stem + (n == 1 ? "" : "-" + std::to_string(n)) + ".txt";
        std::FILE* file = std::fopen(path.c_str(), "wxe");
        if (file != nullptr || errno != EEXIST) {
            return file;
        }
    }
}

// Oldest first by modification time, then by name; the backup just saved always stays.
void PruneOldest(const std::string& folder, const std::string& saved) {
    std::vector<std::pair<fs::file_time_type, fs::path>> files;
    std::error_code error;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder, error)) {
        const fs::path& path = entry.path();
        if (path.extension() == ".txt" && path != saved && entry.is_regular_file(error)) {
            files.emplace_back(entry.last_write_time(error), path);
        }
    }
    std::sort(files.begin(), files.end());
    for (size_t i = 0; i + kKeptBackups <= files.size(); ++i) {
        fs::remove(files[i].second, error);
    }
}

}  // namespace

bool SaveScriptBackup(const std::string& portName, const std::vector<std::string>& lines,
                      std::string& savedPath, std::string& why) {
    std::string folder;
    if (!MakeFolder(folder, why)) {
        return false;
    }
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "-%Y%m%d-%H%M%S", localtime_r(&now, &local));
    std::string text;
    for (const std::string& line : lines) {
        text += (NamesSetting(line) ? "" : "# ") + line + "\n";
    }
    std::string path;
    std::FILE* file = CreateFree(folder + "/" + portName + stamp, path);
    // On the disk before anything is erased.
    const bool written = file != nullptr &&
                         std::fwrite(text.data(), 1, text.size(), file) == text.size() &&
                         std::fflush(file) == 0 && fsync(fileno(file)) == 0;
    const int error = errno;
    if (file == nullptr || std::fclose(file) != 0 || !written) {
        why = path + ": " + std::strerror(written ? errno : error);
        if (file != nullptr) {
            std::remove(path.c_str());
        }
        return false;
    }
    savedPath = path;
    PruneOldest(folder, path);
    return true;
}
