#include "cli/port_target.h"

#include "cli/cli_output.h"
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
    devicePath = port;
    return true;
}

// The channel names the port by its COM number; a device given by its path is named as itself,
// so that no message points at COM1, a real UART on most machines.
void PortTarget::ShowMessage(const UserMessage& message) {
    std::string text = message.text;
    const std::string com = ComPortName(number);
    for (size_t at = 0; !devicePath.empty() && (at = text.find(com, at)) != std::string::npos;) {
        text.replace(at, com.size(), devicePath);
        at += devicePath.size();
    }
    PrintError(Printable(text + (message.detail.empty() ? "" : " (" + message.detail + ")")));
}
