#include "cli/acceptance_file.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>

namespace {

constexpr const char* kGroup = "[SETTINGS]";

// Whether the file holds the flag, and its lines outside kGroup.
bool ReadFile(std::string& kept) {
    std::ifstream file(AcceptanceFilePath());
    bool inGroup = false;
    bool stored = false;
    for (std::string line; std::getline(file, line);) {
        std::string bare = line;
        bare.erase(std::remove_if(bare.begin(), bare.end(),
                                  [](unsigned char c) { return std::isspace(c) != 0; }),
                   bare.end());
        inGroup = bare.empty() || bare[0] != '[' ? inGroup : bare == kGroup;
        stored |= inGroup && bare == "AGREEMENT=1";
        kept += inGroup ? "" : line + "\n";
    }
    return stored;
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
    std::string kept;
    return ReadFile(kept);
}

bool StoreAcceptance(std::string& why) {
    std::string kept;
    ReadFile(kept);
    const std::string path = AcceptanceFilePath();
    const std::string temporary = path + ".new";
    std::error_code error;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path(), error);
    std::ofstream file(temporary, std::ios::binary | std::ios::trunc);
    file << kept << kGroup << "\nAGREEMENT=1\n";
    file.close();
    if (error || !file || std::rename(temporary.c_str(), path.c_str()) != 0) {
        why = error ? error.message() : std::strerror(errno);
        std::remove(temporary.c_str());
        return false;
    }
    return true;
}
