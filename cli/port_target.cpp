#include "cli/port_target.h"

#include <stdlib.h>
#include <unistd.h>

#include <filesystem>

#include "cli/cli_texts.h"
#include "link/com_port_name.h"

bool PortTarget::Resolve(const std::string& port) {
    number = ParseComPortName(port);
    backupName = port.substr(port.find_last_of('/') + 1);
    if (number != 0 || port.find('/') == std::string::npos) {
        return number != 0;
    }
    char folder[] = "/tmp/quillbox-cli-XXXXXX";
    std::error_code error;
    const std::string target = std::filesystem::absolute(port, error).string();
    if (error || mkdtemp(folder) == nullptr) {
        return false;
    }
    // The built-in devices map into the private folder too, so nothing but the link is opened.
    PortRoots roots;
    roots.linksDir = roots.devRoot = folder;
    map = ComPortMap(roots);
    number = 1;
    devicePath = port;
    link = std::string(folder) + "/COM1";
    return symlink(target.c_str(), link.c_str()) == 0;
}

void PortTarget::ShowMessage(const UserMessage& message) {
    std::string text = message.text + (message.detail.empty() ? "" : " (" + message.detail + ")");
    for (size_t at = 0; !link.empty() && (at = text.find(link, at)) != std::string::npos;
         at += devicePath.size()) {
        text.replace(at, link.size(), devicePath);
    }
    PrintError(text);
}

PortTarget::~PortTarget() {
    if (!link.empty()) {
        unlink(link.c_str());
        rmdir(link.substr(0, link.rfind('/')).c_str());
    }
}
