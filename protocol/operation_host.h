#pragma once

#include <string>
#include <vector>

#include "link/user_message.h"
#include "protocol/device_fields.h"

// What the script operations need from the main window. User-interface thread only.
class OperationHost {
public:
    virtual ~OperationHost() = default;

    virtual bool PortIsOpen() const = 0;                      // portOpen is exactly 1
    virtual int WritePort(const char* data, int length) = 0;  // the channel's WritePort

    // One-shot timers by id; arming an armed timer restarts it. The host calls
    // ScriptOperations::OnTimer(id) when one fires.
    virtual void SetTimer(int id, int milliseconds) = 0;
    virtual void KillTimer(int id) = 0;

    virtual int AddLogLine(int direction, const char* text) = 0;
    virtual void ClearLog() = 0;

    // exchangeData from the controls: false when the ID is too long (the message was shown).
    virtual bool ExchangeFromControls() = 0;
    virtual DeviceFields& Fields() = 0;

    // A modal box captioned with the window title and an OK button; returns when closed.
    virtual void ShowMessage(const std::string& text, MessageIcon icon) = 0;
    // Text of a string-table entry in the captions' language.
    virtual std::string LoadString(int id) const = 0;

    // Keeps the stored script that an erase is about to destroy: `lines` are the listing that
    // Write Script or Delete Script read, without the closing "!700". False, with the reason
    // in `why`, when no copy could be kept; the operation then erases nothing.
    virtual bool KeepBackup(const std::vector<std::string>& lines, std::string& why) = 0;

    virtual std::string EchoCaption() const = 0;
    virtual void SetEchoCaption(const std::string& caption) = 0;
};
