#include "cli/acceptance_file.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <vector>

namespace {

constexpr const char* kGroup = "[SETTINGS]";
constexpr const char* kKey = "AGREEMENT";

std::string Trimmed(const std::string& text) {
    const size_t first = text.find_first_not_of(" \t\r");
    const size_t last = text.find_last_not_of(" \t\r");
    return first == std::string::npos ? std::string() : text.substr(first, last - first + 1);
}

std::vector<std::string> ReadLines(const std::string& path) {
    std::vector<std::string> lines;
    std::ifstream file(path);
    for (std::string line; std::getline(file, line);) {
        lines.push_back(line);
    }
    return lines;
}

// The key of an INI line "key=value", "" for any other line.
std::string KeyOf(const std::string& line) {
    const size_t equals = line.find('=');
    return equals == std::string::npos ? std::string() : Trimmed(line.substr(0, equals));
}

bool MakeParent(const std::string& path, std::string& why) {
    for (size_t slash = path.find('/', 1); slash != std::string::npos;
         slash = path.find('/', slash + 1)) {
        const std::string folder = path.substr(0, slash);
        if (mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
            why = std::strerror(errno);
            return false;
        }
    }
    return true;
}

}  // namespace

std::string AcceptanceFilePath() {
    const char* config = std::getenv("XDG_CONFIG_HOME");
    if (config != nullptr && config[0] == '/') {
        return std::string(config) + "/TavrelSystems/quillbox.conf";
    }
    const char* home = std::getenv("HOME");
    return std::string(home != nullptr ? home : "") + "/.config/TavrelSystems/quillbox.conf";
}

bool AcceptanceStored(const std::string& path) {
    bool inGroup = false;
    for (const std::string& line : ReadLines(path)) {
        const std::string text = Trimmed(line);
        if (!text.empty() && text[0] == '[') {
            inGroup = text == kGroup;
        } else if (inGroup && KeyOf(text) == kKey) {
            return Trimmed(text.substr(text.find('=') + 1)) == "1";
        }
    }
    return false;
}

bool StoreAcceptance(const std::string& path, std::string& why) {
    std::vector<std::string> lines = ReadLines(path);
    bool inGroup = false;
    size_t insertAt = lines.size();
    bool groupFound = false;
    for (size_t i = 0; i < lines.size(); ++i) {
        const std::string text = Trimmed(lines[i]);
        if (!text.empty() && text[0] == '[') {
            inGroup = text == kGroup;
            groupFound |= inGroup;
            insertAt = inGroup ? i + 1 : insertAt;
        } else if (inGroup && KeyOf(text) == kKey) {
            lines.erase(lines.begin() + static_cast<long>(i--));
        }
    }
    if (!groupFound) {
        lines.push_back(kGroup);
        insertAt = lines.size();
    }
    lines.insert(lines.begin() + static_cast<long>(insertAt), std::string(kKey) + "=1");
    std::ostringstream text;
    for (const std::string& line : lines) {
        text << line << '\n';
    }
    const std::string temporary = path + ".new";
    if (!MakeParent(path, why)) {
        return false;
    }
    FILE* file = std::fopen(temporary.c_str(), "w");
    const std::string content = text.str();
    const bool written =
        file != nullptr && std::fwrite(content.data(), 1, content.size(), file) == content.size();
    const int error = errno;
    if (file == nullptr || std::fclose(file) != 0 || !written ||
        std::rename(temporary.c_str(), path.c_str()) != 0) {
        why = std::strerror(file == nullptr || !written ? error : errno);
        std::remove(temporary.c_str());
        return false;
    }
    return true;
}
