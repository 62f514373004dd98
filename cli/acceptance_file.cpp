#include "cli/acceptance_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr const char* kGroup = "SETTINGS";
constexpr const char* kKey = "AGREEMENT";

// The file's bytes; "" when it is missing or not a regular file (a folder there reads as
// nothing rather than as an error thrown at the caller).
std::string FileText(const std::string& path) {
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    struct stat status;
    std::string text;
    if (fd >= 0 && fstat(fd, &status) == 0 && S_ISREG(status.st_mode)) {
        char buffer[4096];
        for (ssize_t n; (n = read(fd, buffer, sizeof buffer)) != 0;) {
            if (n > 0) {
                text.append(buffer, static_cast<size_t>(n));
            } else if (errno != EINTR) {
                break;
            }
        }
    }
    if (fd >= 0) {
        close(fd);
    }
    return text;
}

std::string Trimmed(const std::string& text) {
    const size_t first = text.find_first_not_of(" \t\r\n");
    const size_t last = text.find_last_not_of(" \t\r\n");
    return first == std::string::npos ? "" : text.substr(first, last - first + 1);
}

// The file's lines (each ending in '\n'), grouped as QSettings reads them: what comes before
// the first header, then one section per "[name]" line.
struct Section {
    std::string name;
    std::vector<std::string> lines;  // the header line first, when there is one
};

std::vector<Section> Sections(const std::string& text) {
    std::vector<Section> sections(1);
    for (size_t start = 0; start < text.size();) {
        const size_t end = std::min(text.find('\n', start), text.size() - 1) + 1;
        // A last line without its line feed gets one, so that no line runs into the next.
        const std::string line =
            text.substr(start, end - start) + (text[end - 1] == '\n' ? "" : "\n");
        const std::string trimmed = Trimmed(line);
        if (trimmed.size() >= 2 && trimmed.front() == '[' && trimmed.back() == ']') {
            sections.push_back({Trimmed(trimmed.substr(1, trimmed.size() - 2)), {}});
        }
        sections.back().lines.push_back(line);
        start = end;
    }
    return sections;
}

// The line's key when it is "key=value"; "" otherwise. A ';' or '#' comment keeps its mark in
// the key, so it never names a key that is read.
std::string KeyOf(const std::string& line, std::string* value = nullptr) {
    const std::string trimmed = Trimmed(line);
    const size_t equals = trimmed.find('=');
    if (equals == std::string::npos) {
        return "";
    }
    if (value != nullptr) {
        *value = Trimmed(trimmed.substr(equals + 1));
    }
    return Trimmed(trimmed.substr(0, equals));
}

// The text with AGREEMENT=1 in the first [SETTINGS] group, in place of the key when it is
// there. Later [SETTINGS] groups (which QSettings reads as one) are merged into it without
// their own AGREEMENT, so that none of them can override it.
std::string WithAcceptance(const std::string& text) {
    const std::string flag = std::string(kKey) + "=1\n";
    std::vector<std::string> settings;
    bool placed = false;
    std::string out;
    size_t at = std::string::npos;  // where the [SETTINGS] group goes in `out`
    for (const Section& section : Sections(text)) {
        if (section.name != kGroup) {
            for (const std::string& line : section.lines) {
                out += line;
            }
            continue;
        }
        at = settings.empty() ? out.size() : at;
        for (size_t i = settings.empty() ? 0 : 1; i < section.lines.size(); ++i) {
            const bool isFlag = i > 0 && KeyOf(section.lines[i]) == kKey;
            if (!isFlag || !placed) {
                settings.push_back(isFlag ? flag : section.lines[i]);
            }
            placed |= isFlag;
        }
    }
    if (settings.empty()) {
        settings.push_back("[" + std::string(kGroup) + "]\n");
    }
    if (!placed) {
        // After the group's last key, before the blank lines that part it from the next.
        size_t last = settings.size();
        while (last > 1 && Trimmed(settings[last - 1]).empty()) {
            --last;
        }
        settings.insert(settings.begin() + static_cast<std::ptrdiff_t>(last), flag);
    }
    std::string group;
    for (const std::string& line : settings) {
        group += line;
    }
    return out.insert(at == std::string::npos ? out.size() : at, group);
}

// Writes `text` to a new file beside `path`, flushes it and renames it over `path`; the file
// keeps the mode of the one it replaces (a new one is the user's alone).
bool ReplaceFile(const std::string& path, const std::string& text, std::string& why) {
    std::string temporary = path + ".XXXXXX";
    const int fd = mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0) {
        why = temporary + ": " + std::strerror(errno);
        return false;
    }
    struct stat status;
    const mode_t mode = stat(path.c_str(), &status) == 0 ? status.st_mode & 07777 : 0600;
    bool written = fchmod(fd, mode) == 0;
    for (size_t done = 0; written && done < text.size();) {
        const ssize_t n = write(fd, text.data() + done, text.size() - done);
        written = n > 0 || (n < 0 && errno == EINTR);
        done += n > 0 ? static_cast<size_t>(n) : 0;
    }
    written = written && fsync(fd) == 0;
    const int error = errno;
    if (close(fd) != 0 || !written || std::rename(temporary.c_str(), path.c_str()) != 0) {
        why = std::strerror(written ? errno : error);
        unlink(temporary.c_str());
        return false;
    }
    // The rename itself is on the disk once the folder is.
    const int folder =
        open(fs::path(path).parent_path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder >= 0) {
        fsync(folder);
        close(folder);
    }
    return true;
}

}  // namespace

std::string AcceptanceFilePath() {
    const char* config = std::getenv("XDG_CONFIG_HOME");
    const char* home = std::getenv("HOME");
    const std::string folder = config != nullptr && config[0] == '/'
                                   ? config
                                   : std::string(home != nullptr ? home : "") + "/.config";
    return folder + "/TavrelSystems/quillbox.conf";
}

bool AcceptanceStored() {
    // QSettings reads the groups of one name as one, a later value of a key winning.
    std::string accepted;
    for (const Section& section : Sections(FileText(AcceptanceFilePath()))) {
        for (size_t i = 1; section.name == kGroup && i < section.lines.size(); ++i) {
            std::string value;
            if (KeyOf(section.lines[i], &value) == kKey) {
                accepted = value;
            }
        }
    }
    char* end = nullptr;
    const long long value = std::strtoll(accepted.c_str(), &end, 10);
    return !accepted.empty() && *end == '\0' && value == 1;
}

bool StoreAcceptance(std::string& why) {
    std::string path = AcceptanceFilePath();
    std::error_code error;
    fs::create_directories(fs::path(path).parent_path(), error);
    // A settings file that is a link (to a dotfiles folder) keeps its link: its target changes.
    struct stat status;
    if (!error && lstat(path.c_str(), &status) == 0 && S_ISLNK(status.st_mode)) {
        path = fs::canonical(path, error).string();
    }
    if (error) {
        why = error.message();
        return false;
    }
    return ReplaceFile(path, WithAcceptance(FileText(path)), why);
}
