#include "protocol/script_operations.h"
#include "protocol/settings_record.h"
#include "resources/string_table.h"

void ScriptOperations::OnSend() {
    if (!host.PortIsOpen()) {
        return;
    }
    (void)host.ExchangeFromControls();
    // Sent whole, whatever its length: the command is the operator's own line.
    const std::string& command = host.Fields().Texts().commandText;
    const std::string line = command + '\r';
    host.WritePort(line.data(), static_cast<int>(line.size()));
    host.AddLogLine(LOG_SEND, command.c_str());
}

// The caption names what the next press does; the device's echo state is not tracked.
void ScriptOperations::OnEcho() {
    if (!host.PortIsOpen()) {
        return;
    }
    const std::string echoOff = host.LoadString(IDS_ECHO_OFF);
    const bool switchOff = EqualIgnoringCase(host.EchoCaption(), echoOff);
    host.ClearLog();
    host.SetEchoCaption(switchOff ? host.LoadString(IDS_ECHO_ON) : echoOff);
    SendLine(switchOff ? "!E0" : "!E1");
}
