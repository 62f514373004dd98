#include "cli/port_target.h"

#include "cli/cli_texts.h"
#include "link/com_port_name.h"

bool PortTarget::Resolve(const std::string& port) {
    number = ParseComPortName(port);
    backupName = port.substr(port.find_last_of('/') + 1);
    if (number != 0 || port.find('/') == std::string::npos) {
        return number != 0;
    }
    // A device named by its path is the only one this map knows: nothing else is opened.
    PortRoots roots;
    roots.onlyDevice = port;
    map = ComPortMap(roots);
    number = 1;
    return true;
}

void PortTarget::ShowMessage(const UserMessage& message) {
    PrintError(message.text + (message.detail.empty() ? "" : " (" + message.detail + ")"));
}
