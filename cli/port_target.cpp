#include "cli/port_target.h"

#include <stdlib.h>
#include <unistd.h>

#include "link/com_port_name.h"

namespace {

constexpr uint16_t kPrivateNumber = 1;

}  // namespace

bool PortTarget::Resolve(const std::string& port) {
    number = ParseComPortName(port);
    if (number != 0) {
        map = std::make_unique<ComPortMap>();
        backupName = port;
        return true;
    }
    if (port.find('/') == std::string::npos) {
        return false;
    }
    devicePath = port;
    backupName = port.substr(port.find_last_of('/') + 1);
    char folder[] = "/tmp/quillbox-cli-XXXXXX";
    if (mkdtemp(folder) == nullptr) {
        return false;
    }
    linkFolder = folder;
    PortRoots roots;
    roots.linksDir = linkFolder;
    map = std::make_unique<ComPortMap>(roots);
    number = kPrivateNumber;
    // The link's target is read relative to its own folder.
    char here[4096];
    const std::string target =
        port[0] == '/' || getcwd(here, sizeof here) == nullptr ? port : here + ("/" + port);
    return symlink(target.c_str(), LinkPath().c_str()) == 0;
}

PortTarget::~PortTarget() {
    DropLink();
}

std::string PortTarget::AsGiven(std::string text) const {
    if (linkFolder.empty()) {
        return text;
    }
    const std::string link = LinkPath();
    for (size_t at = text.find(link); at != std::string::npos; at = text.find(link, at)) {
        text.replace(at, link.size(), devicePath);
        at += devicePath.size();
    }
    return text;
}

std::string PortTarget::LinkPath() const {
    return linkFolder + "/" + ComPortName(kPrivateNumber);
}

void PortTarget::DropLink() {
    if (linkFolder.empty()) {
        return;
    }
    unlink(LinkPath().c_str());
    rmdir(linkFolder.c_str());
}
