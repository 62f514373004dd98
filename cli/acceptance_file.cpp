#include "cli/acceptance_file.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace {

// As the window's settings write the flag; a file that says it otherwise asks for it again.
constexpr const char* kFlag = "[SETTINGS]\nAGREEMENT=1\n";

std::string FileText() {
    std::ifstream file(AcceptanceFilePath(), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), {});
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
    return FileText().find(kFlag) != std::string::npos;
}

bool StoreAcceptance(std::string& why) {
    std::string text = FileText();
    text += (text.empty() || text.back() == '\n' ? "" : "\n") + std::string(kFlag);
    const std::string path = AcceptanceFilePath();
    const std::string temporary = path + ".new";
    std::error_code error;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path(), error);
    std::ofstream file(temporary, std::ios::binary | std::ios::trunc);
    file << text;
    file.close();
    if (error || !file || std::rename(temporary.c_str(), path.c_str()) != 0) {
        why = error ? error.message() : std::strerror(errno);
        std::remove(temporary.c_str());
        return false;
    }
    return true;
}
